// The built ZRKTempDll.dll as a client meets it: its runtime's exception support, its
// unwind tables, and the stand-in client and the kit's import library loading it. What
// the image declares (exports, imports, header, version, size) is read without running
// it, under tests/image.
#include "app/ProcAddress.h"
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <exception>
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

namespace {

LONG g_nInitialisations = 0;

// A function-local static whose initialiser is slow and throws on its first run.
int SlowStatic()
{
    static const int value = [] {
        Sleep(20);
        if (InterlockedIncrement(&g_nInitialisations) == 1)
            throw std::exception();
        return 42;
    }();
    return value;
}

DWORD WINAPI ReadSlowStatic(LPVOID pResult)
{
    try {
        *static_cast<int*>(pResult) = SlowStatic();
    } catch (const std::exception&) {
        *static_cast<int*>(pResult) = -1;
    }
    return 0;
}

}  // namespace

// The lean guards of function-local statics: one thread initialises, the others wait
// for it, and an initialiser that throws leaves the static to the next caller.
TEST(LeanRuntime, StaticsInitialiseOnceAcrossThreads)
{
    constexpr int kThreads = 6;
    int results[kThreads] = {};
    HANDLE threads[kThreads];
    for (int i = 0; i < kThreads; ++i)
        threads[i] = CreateThread(nullptr, 0, ReadSlowStatic, &results[i], 0, nullptr);
    WaitForMultipleObjects(kThreads, threads, TRUE, 10000);
    int thrown = 0;
    for (int i = 0; i < kThreads; ++i) {
        CloseHandle(threads[i]);
        thrown += results[i] == -1;
        EXPECT_TRUE(results[i] == 42 || results[i] == -1) << results[i];
    }
    EXPECT_EQ(1, thrown) << "the first initialiser threw";
    EXPECT_EQ(2, g_nInitialisations) << "once more after the throw, then never";
}

namespace {

struct Rendezvous {
    HANDLE caught;
    HANDLE checked;
};

// Answers 1 when its exception is still the one being handled after the other thread
// has looked at its own.
DWORD WINAPI HoldACaughtException(void* context)
{
    auto* rendezvous = static_cast<Rendezvous*>(context);
    try {
        throw 7;
    } catch (int) {
        SetEvent(rendezvous->caught);
        WaitForSingleObject(rendezvous->checked, 10000);
        return std::current_exception() ? 1 : 0;
    }
}

}  // namespace

TEST(LeanRuntime, EachThreadHandlesItsOwnExceptions)
{
    Rendezvous rendezvous = {CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, HoldACaughtException, &rendezvous, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(rendezvous.caught, 10000));
    EXPECT_FALSE(std::current_exception()) << "another thread's exception showed here";
    SetEvent(rendezvous.checked);
    WaitForSingleObject(thread, 10000);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(1u, code) << "the thread lost the exception it was handling";
    for (HANDLE handle : {thread, rendezvous.caught, rendezvous.checked})
        CloseHandle(handle);
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

namespace {

// Bytes in use in every heap of the process: what the plug-in's runtime and code take
// from the heaps and do not give back shows here.
size_t HeapBytesInUse()
{
    std::vector<HANDLE> heaps(256);
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    size_t busy = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// The process's open kernel handles, found by asking each possible handle value.
int OpenHandles()
{
    int count = 0;
    DWORD flags = 0;
    for (uintptr_t value = 4; value < 0x40000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return count;
}

// Loads the libraries start-up loads and frees (the components beside this executable,
// which plays the client), so that their own load costs (each carries a static runtime
// of its own) stay out of the plug-in's measure.
std::vector<HMODULE> PinComponents()
{
    std::vector<HMODULE> pinned = {LoadLibraryA("ole32.dll")};
    for (const char* name : {"Vantri.dll", "ZRKModules.dll", "ZRKEncoder.dll"})
        pinned.push_back(LoadLibraryA((BinDir() + "\\" + name).c_str()));
    return pinned;
}

}  // namespace

// Loading and freeing the plug-in again and again in one process: after the first round
// nothing of its own grows but the queue (its mutex and section handles, its view) and
// the GameSite object, which each start-up opens and leaves for a menu module that may
// still post: two handles and some hundred bytes of heap a round.
TEST(PluginDll, ReloadsLeaveOnlyTheQueueBehind)
{
    ScenarioLayout layout;
    layout.devconfig = "opencount=0\nshownext=0\n";
    ClientScenario game(layout);
    ScopedCurrentDirectory inWork(game.WorkDir());
    std::vector<HMODULE> pinned = PinComponents();
    const std::string plugin = game.BinDir() + "\\ZRKTempDll.dll";
    auto loadAndFree = [&] {
        HMODULE hPlugin = LoadLibraryA(plugin.c_str());
        return hPlugin && FreeLibrary(hPlugin);
    };
    ASSERT_TRUE(loadAndFree()) << GetLastError();
    const size_t heapAfterFirst = HeapBytesInUse();
    const int handlesAfterFirst = OpenHandles();
    constexpr int kRounds = 499;
    int loaded = 0;
    for (int i = 0; i < kRounds; ++i)
        loaded += loadAndFree();
    const long long grown = static_cast<long long>(HeapBytesInUse()) - static_cast<long long>(heapAfterFirst);
    const int handles = OpenHandles() - handlesAfterFirst;
    for (HMODULE hModule : pinned)
        FreeLibrary(hModule);
    EXPECT_EQ(kRounds, loaded);
    EXPECT_EQ(2 * kRounds, handles) << "the queue's mutex and section a round, nothing more";
    EXPECT_LT(grown, kRounds * 256LL) << grown / kRounds << " bytes a round";
}
