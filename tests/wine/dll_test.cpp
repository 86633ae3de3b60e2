// The built ZRKTempDll.dll as a client meets it: its exports, its version record, its
// imports, and the stand-in client loading it.
#include "app/ProcAddress.h"
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string PluginPath() { return BinDir() + "\\ZRKTempDll.dll"; }

// Names of the DLLs the image imports, read from its import directory.
std::set<std::string> ImportedDlls(HMODULE image)
{
    auto* base = reinterpret_cast<const BYTE*>(image);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::set<std::string> names;
    auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; dir.VirtualAddress && entry->Name; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        names.insert(name);
    }
    return names;
}

std::string VersionString(const std::vector<char>& block, const char* name)
{
    std::string query = std::string("\\StringFileInfo\\080404b0\\") + name;
    char* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &size) || !value)
        return "<missing>";
    return value;
}

}  // namespace

TEST(PluginDll, ExportsAreUndecorated)
{
    HMODULE dll = LoadLibraryExA(PluginPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(nullptr, dll);
    for (const char* name : {"TransferPointer", "CreateRPopupMenu", "OnRButton", "GetSpeakInfo", "LoadConfig"}) {
        EXPECT_NE(nullptr, GetProcAddress(dll, name)) << name;
        EXPECT_EQ(nullptr, GetProcAddress(dll, (std::string("_") + name).c_str())) << name;
    }
    FreeLibrary(dll);
}

TEST(PluginDll, ImportsOnlySystemDlls)
{
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll",
                                          "oleaut32.dll", "advapi32.dll", "ws2_32.dll", "wsock32.dll",
                                          "version.dll", "msvcrt.dll", "comctl32.dll", "shell32.dll"};
    HMODULE dll = LoadLibraryExA(PluginPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(nullptr, dll);
    std::set<std::string> imports = ImportedDlls(dll);
    FreeLibrary(dll);
    EXPECT_FALSE(imports.empty());
    for (const std::string& name : imports)
        EXPECT_TRUE(system.count(name)) << "imports " << name;
}

// A game client downloads the plug-in: it carries the framework and the C++ runtime's
// exception support, and nothing of the runtime it does not use.
TEST(PluginDll, StaysWithinItsSizeBudget)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(PluginPath().c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(0u, data.nFileSizeHigh);
    EXPECT_LE(data.nFileSizeLow, 200000u) << "bytes";
}

// This executable links the plug-in's lean runtime pieces as the DLL does: misuse of a
// container must still throw something the exports' firewalls catch.
TEST(LeanRuntime, ContainerMisuseStillThrowsAnException)
{
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"index out of range", [] { std::vector<int>(2).at(2); }},
        {"length beyond the maximum", [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); }},
        {"string from null", [] { std::string(static_cast<const char*>(nullptr)); }},
        {"substring past the end", [] { std::string("ab").substr(3); }},
    };
    for (const auto& row : rows) {
        std::string what;
        try {
            row.second();
        } catch (const std::exception& e) {
            what = e.what();
        }
        EXPECT_FALSE(what.empty()) << row.first << ": an exception with a message";
    }
}

// The plug-in's unwind tables are registered with its own unwinder at load, without
// asking the system for a shared one (a search of the library path on every load): a
// DLL linked the same way catches what it throws, and the plug-in names no shared one.
TEST(PluginDll, UnwindTablesWorkWithoutASharedUnwinder)
{
    HMODULE probe = LoadLibraryA((BinDir() + "\\unwind_probe.dll").c_str());
    ASSERT_TRUE(probe);
    using CatchOwnThrowFn = int(__cdecl*)(int, const char*);
    auto catchOwnThrow = ProcAddress<CatchOwnThrowFn>(probe, "CatchOwnThrow");
    ASSERT_TRUE(catchOwnThrow);
    EXPECT_EQ(0, catchOwnThrow(0, ""));
    EXPECT_EQ(5, catchOwnThrow(12, "depth"));
    FreeLibrary(probe);
    EXPECT_EQ(std::string::npos, ReadFileBytes(PluginPath()).find("libgcc_s_dw2-1.dll"));
}

TEST(PluginDll, VersionRecord)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(PluginPath().c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(PluginPath().c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize));
    EXPECT_EQ(MAKELONG(10, 0), info->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 1), info->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(10, 0), info->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(1, 1), info->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), info->dwFileType);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), info->dwFileOS);
    EXPECT_EQ("2004.09.09", VersionString(block, "Comments"));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &infoSize));
    EXPECT_EQ(0x0804, translation[0]);
    EXPECT_EQ(0x04B0, translation[1]);
}

TEST(Client, LoadsThePlugInAndPrintsTheRecord)
{
    ScenarioLayout layout;
    layout.devconfig = "width=1024\nHeight 768\nopencount=0\n";
    ClientScenario game(layout);
    ScenarioRun run = game.Run();
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    EXPECT_TRUE(run.Printed("width      = 1024")) << run.Report();
    EXPECT_TRUE(run.Printed("height     = 768")) << run.Report();
    EXPECT_TRUE(run.Printed("opencount  = 1")) << run.Report();
    EXPECT_TRUE(run.Printed("shownext   = 1")) << run.Report();
}

TEST(IntegrationKit, CClientLinkedAgainstTheImportLibrary)
{
    TempDir game;
    // Start-up needs the component host beside the client.
    for (const char* name : {"kit_client.exe", "ZRKTempDll.dll", "Vantri.dll", "ZRKModules.dll",
                             "ZRKEncoder.dll", "ZRKMsgData.bin"})
        CopyBinary(name, game.Path());
    WriteFileBytes(game / "devconfig.txt", ReadFileBytes(BinDir() + "\\..\\dist\\bin\\devconfig.txt"));

    ProcessResult run = RunProcess("\"" + (game / "kit_client.exe") + "\"", game.Path());
    ASSERT_FALSE(run.timedOut) << run.output;
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("width=1024 height=768 opencount=1 same-address=1"))
        << run.output;
}
