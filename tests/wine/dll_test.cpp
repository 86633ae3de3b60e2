// The built ZRKTempDll.dll as a client meets it: its runtime's exception support, its
// unwind tables, and the stand-in client and the kit's import library loading it. What
// the image declares (exports, imports, header, version, size) is read without running
// it, under tests/image.
#include "app/ProcAddress.h"
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string PluginPath() { return BinDir() + "\\ZRKTempDll.dll"; }

}  // namespace

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

// Kit clients built from the kit alone (tests/kit): as a Visual Studio team builds them,
// compiled in MSVC mode, in C and in C++ linked through lib/ZRKTempDll.lib and in C
// loading the DLL with LoadLibrary; and the C one by mingw through libZRKTempDll.dll.a.
// Each runs in a game folder and prints what each export returned.
TEST(IntegrationKit, ClientsBuiltFromTheKitCallEachExport)
{
    const std::vector<std::string> returned = {
        "TransferPointer: core host set",
        "CreateRPopupMenu: returned",
        "OnRButton: returned",
        // Message 0 of the stand-in's message data, a loudspeaker message.
        "GetSpeakInfo: 0x00000000 \"/laba[3]说: 今晚八点王城集合，攻城战开始！\"",
        "LoadConfig: width=1024 height=768 opencount=1 same-address=1",
    };
    const std::pair<const char*, std::vector<std::string>> clients[] = {
        {"kit_client_c.exe", {}},
        {"kit_client_cpp.exe", {}},
        {"kit_loader.exe", {"LoadLibrary: loaded", "FreeLibrary: done"}},
        {"kit_client_mingw.exe", {}},
    };
    for (const auto& client : clients) {
        TempDir game;
        // Start-up needs the component host beside the client.
        MakeDirs(game / "Bin");
        CopyBinary(client.first, game / "Bin");
        LayOutGameFiles(game / "Bin");
        WriteFileBytes(game / "devconfig.txt", ReadFileBytes(BinDir() + "\\..\\dist\\bin\\devconfig.txt"));

        ProcessResult run = RunProcess("\"" + (game / "Bin\\" + client.first) + "\"", game.Path());
        ASSERT_FALSE(run.timedOut) << client.first << "\n" << run.output;
        EXPECT_EQ(0u, run.exitCode) << client.first << "\n" << run.output;
        std::vector<std::string> lines = returned;
        lines.insert(lines.end(), client.second.begin(), client.second.end());
        for (const std::string& line : lines)
            EXPECT_NE(std::string::npos, run.output.find(line))
                << client.first << ": " << line << "\n" << run.output;
    }
}
