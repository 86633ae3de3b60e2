// Start-up and shutdown of the plug-in in a client process: what reaches the component
// host, in what order and with which identifiers, flags and paths, and what happens
// when the host cannot be created.
#include "framework/KernelHandle.h"
#include "messaging/SharedMemoryChannel.h"
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const char kCoreHostClass[] = "{2ED48E16-EA74-4101-AA01-4F60F1AFB474}";
const char kCoreHostInterface[] = "{E457587A-108E-437C-A935-01DE7D6AF05A}";
const char kClassFactory[] = "{00000001-0000-0000-C000-000000000046}";
const char kModulesClass[] = "{CD1567DB-F7D1-456F-9963-D9CC0F9E6DC2}";
const char kModulesInterface[] = "{142027DF-4F0C-47F1-8C1B-BF8DB7B9DB51}";
const char kEncoderClass[] = "{27F49156-6D05-4750-946C-D075DCF4FE44}";
const char kEncoderInterface[] = "{EEBC1D40-9048-48A4-B2E2-814B4F38229A}";
const char kCCFunctionInterface[] = "{CF0A0941-690B-4B0D-BC8F-E4DCA91D02E5}";

// Each prefix must start a call that comes after the call matched by the one before.
void ExpectCallsInOrder(const ScenarioRun& run, const std::vector<std::string>& prefixes)
{
    size_t next = 0;
    for (const std::string& prefix : prefixes) {
        while (next < run.calls.size() && run.calls[next].compare(0, prefix.size(), prefix) != 0)
            ++next;
        ASSERT_LT(next, run.calls.size()) << "missing or out of order: " << prefix << "\n" << run.Report();
        ++next;
    }
}

}  // namespace

TEST(StartUp, BringsUpTheComponentWorldInOrder)
{
    ClientScenario game;
    ScenarioRun run = game.Run();
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    EXPECT_FALSE(run.Printed("messagebox:")) << run.Report();
    std::string bin = game.BinDir() + "\\";
    ExpectCallsInOrder(run, {
        std::string("Vantri: loaded"),
        std::string("Vantri: DllGetClassObject ") + kCoreHostClass + " " + kClassFactory,
        std::string("Vantri: CreateInstance ") + kCoreHostInterface,
        // The plug-in's CCFunction, which the host keeps, notifies and binds.
        std::string("Vantri: RegisterObject ") + kCCFunctionInterface + " object 1",
        "Vantri: Notify -> 0",
        "Vantri: bound block handed out",
        "Vantri: Bind -> 0, source references 1",
        std::string("Vantri: LoadModule ") + kModulesClass + " " + kModulesInterface + " " + bin +
            "ZRKModules.dll 0",
        std::string("Vantri: LoadModule ") + kEncoderClass + " " + kEncoderInterface + " " + bin +
            "ZRKEncoder.dll 0",
        std::string("Vantri: GetModule ") + kEncoderInterface + " -> found",
        "ZRKEncoder: LoadMessageData " + bin + "ZRKMsgData.bin -> 6 messages",
        "Tessaru: loaded",
        "Orvalt: loaded",
        "Orvalt: GetGameZipPtr",
    });
    EXPECT_EQ(0, run.CountCalls("Vantri: unexpected")) << run.Report();
}

TEST(StartUp, ShutdownReleasesTheHostAndFreesOnlyItsLibrary)
{
    ClientScenario game;
    ScenarioRun run = game.Run();
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    // Shutdown, then the last Release, then the library; the menu and help libraries
    // stay loaded until the process ends.
    ExpectCallsInOrder(run, {"Vantri: Shutdown", "Vantri: unbound, source references 0",
                             "Vantri: CoreHost destroyed", "Vantri: unloaded", "Tessaru: unloaded"});
    ExpectCallsInOrder(run, {"Vantri: unloaded", "Orvalt: unloaded"});
    EXPECT_EQ(1, run.CountCalls("Vantri: Shutdown")) << run.Report();
    EXPECT_EQ(1, run.CountCalls("Vantri: unloaded")) << run.Report();
    EXPECT_TRUE(run.Printed("client: done")) << run.Report();
}

// At process termination nothing outside the plug-in is called: the host, loaded inside
// the plug-in's start-up, has had its own detach notification by then.
TEST(StartUp, AProcessThatEndsWithoutFreeLibraryCallsNoComponentAtExit)
{
    ClientScenario game;
    ScenarioRun run = game.Run("--script --exit-process");
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    EXPECT_TRUE(run.Printed("client: ending the process")) << run.Report();
    EXPECT_EQ(0, run.CountCalls("Vantri: Shutdown")) << run.Report();
    EXPECT_EQ(0, run.CountCalls("Vantri: CoreHost destroyed")) << run.Report();  // no last Release
    int detached = run.FindCall("Vantri: unloaded");
    ASSERT_LE(0, detached) << run.Report();
    for (size_t i = detached + 1; i < run.calls.size(); ++i)
        EXPECT_NE(0u, run.calls[i].rfind("Vantri:", 0)) << "after the host's detach\n" << run.Report();
}

TEST(StartUp, WithoutAComponentHostShowsLoadCoreErrorAndFailsTheLoad)
{
    struct Case {
        const char* vantri;
        const char* name;
    };
    const Case cases[] = {
        {"", "no Vantri.dll"},
        {"Vantri_noentry.dll", "no DllGetClassObject"},
        {"Vantri_nofactory.dll", "no class factory"},
        {"Vantri_startfault.dll", "a host that faults in start-up"},
    };
    for (const Case& c : cases) {
        ScenarioLayout layout;
        layout.vantri = c.vantri;
        ClientScenario game(layout);
        ScenarioRun run = game.Run();
        ASSERT_FALSE(run.process.timedOut) << c.name << "\n" << run.Report();
        EXPECT_EQ(1u, run.process.exitCode) << c.name << "\n" << run.Report();
        EXPECT_EQ(1, run.CountPrinted("messagebox: Load Core Error!")) << c.name << "\n" << run.Report();
        EXPECT_TRUE(run.Printed("the plug-in did not load")) << c.name << "\n" << run.Report();
        for (const char* other :
             {"ZRKModules:", "ZRKEncoder:", "Tessaru:", "Orvalt:", "Vantri: LoadModule", "Vantri: Shutdown"})
            EXPECT_EQ(0, run.CountCalls(other)) << c.name << ": " << other << "\n" << run.Report();
        // A host library that did load is freed once, by the shutdown after the failure.
        int expectedUnloads = *c.vantri ? 1 : 0;
        EXPECT_EQ(expectedUnloads, run.CountCalls("Vantri: unloaded")) << c.name << "\n" << run.Report();
    }
}

TEST(StartUp, CountsTheOpeningInMemoryOnly)
{
    struct Row {
        const char* opencount;
        const char* printed;
    } rows[] = {{"2", "opencount  = 3"}, {"99999999999", "opencount  = 2147483647"}};
    for (const Row& row : rows) {
        ScenarioLayout layout;
        layout.devconfig = std::string("opencount=") + row.opencount + "\nshownext=0\nwidth=1024\n";
        ClientScenario game(layout);
        ScenarioRun run = game.Run();
        EXPECT_TRUE(run.Printed(row.printed)) << run.Report();
        EXPECT_TRUE(run.Printed("width      = 1024")) << run.Report();
        EXPECT_EQ(layout.devconfig, ReadFileBytes(game.WorkDir() + "\\devconfig.txt"));
    }
}

// Narrow literals are GBK here. 運 (DF 5C) ends in a byte that reads as a backslash.
TEST(StartUp, WorksFromChineseFoldersAndATrailByteName)
{
    struct Row {
        const char* what;
        const char* gameFolder;
        const char* binFolder;
        const char* workFolder;
        const char* clientName;
    } rows[] = {
        {"Chinese folders", "网络游戏", "客户端", "当前目录", "client.exe"},
        {"a trail byte 0x5C in the client's and its folder's names", "游戏", "錦", "work", "運.exe"},
    };
    for (const Row& row : rows) {
        ScenarioLayout layout;
        layout.gameFolder = row.gameFolder;
        layout.binFolder = row.binFolder;
        layout.workFolder = row.workFolder;
        layout.clientName = row.clientName;
        layout.devconfig = "opencount=0\nwidth=1024\n";
        ClientScenario game(layout);
        ScenarioRun run = game.Run("--script --pick 1");
        ASSERT_FALSE(run.process.timedOut) << row.what << "\n" << run.Report();
        EXPECT_EQ(0u, run.process.exitCode) << row.what << "\n" << run.Report();
        EXPECT_FALSE(run.Printed("messagebox:")) << row.what << "\n" << run.Report();
        EXPECT_TRUE(run.Printed("width      = 1024")) << row.what << ": devconfig.txt from the current directory\n"
                                                      << run.Report();
        std::string bin = game.BinDir() + "\\";
        ExpectCallsInOrder(run, {
            "Vantri: loaded",
            "Vantri: LoadModule " + std::string(kModulesClass) + " " + kModulesInterface + " " + bin + "ZRKModules.dll 0",
            "ZRKEncoder: LoadMessageData " + bin + "ZRKMsgData.bin -> ",
            "Tessaru: loaded",
            "Orvalt: GetGameZipPtr",
            "Tessaru: item 101 posted -> 0",
        });
    }
}

// A client folder so deep that the module paths no longer fit the path buffer: those
// components are left out as if missing, and start-up still succeeds.
TEST(StartUp, ModulePathsBeyondTheBufferAreLeftOut)
{
    ClientScenario shallow;
    std::string root = shallow.Root();
    // Bin folder + "\" must be 247 characters: Vantri.dll (10) fits in 259, ZRKModules.dll (14) does not.
    size_t padding = 247 - (root.size() + 1 + 4 + 1 + 1 + 4);
    std::string deep = root + "\\" + std::string(padding, 'd') + "\\game";
    MakeDirs(deep + "\\Bin");
    MakeDirs(deep + "\\work");
    CopyBinary("client.exe", deep + "\\Bin");
    LayOutGameFiles(deep + "\\Bin");
    ASSERT_EQ(247u, (deep + "\\Bin\\").size());

    std::string log = root + "\\calls.log";
    SetEnvironmentVariableA("ZRK_CALL_LOG", log.c_str());
    ProcessResult process = RunProcess("\"" + deep + "\\Bin\\client.exe\" --script", deep + "\\work");
    SetEnvironmentVariableA("ZRK_CALL_LOG", nullptr);
    std::string calls = ReadFileBytes(log);
    EXPECT_EQ(0u, process.exitCode) << process.output << calls;
    EXPECT_NE(std::string::npos, calls.find("Vantri: CoreHost created")) << calls;
    EXPECT_EQ(std::string::npos, calls.find("Vantri: LoadModule")) << calls;
    EXPECT_EQ(std::string::npos, calls.find("LoadMessageData")) << calls;
    EXPECT_NE(std::string::npos, calls.find("Vantri: GetModule {EEBC1D40-9048-48A4-B2E2-814B4F38229A} -> none"))
        << calls;
}

namespace {

// The number after text in the client's output, or -1.
long PrintedNumber(const ScenarioRun& run, const std::string& text)
{
    size_t at = run.process.output.find(text);
    return at == std::string::npos ? -1 : strtol(run.process.output.c_str() + at + text.size(), nullptr, 10);
}

}  // namespace

// Another process holds the queue's mutex throughout: start-up gives up on it after a
// second and the menu pick's posting after another, and the client goes on.
TEST(HostilePeer, AHeldQueueMutexDelaysStartUpAndAMenuPickByAtMostASecondEach)
{
    ReadyPeer holder("Client", "hold Client 15");
    ASSERT_TRUE(holder.Ready());
    ClientScenario game;
    ScenarioRun run = game.Run("--script --pick 1");
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    long loadMs = PrintedNumber(run, "client: the load returned after ");
    long clickMs = PrintedNumber(run, "client: the right click returned after ");
    // Each gave up on its own, not when the holder let go: the holder's 15 s outlast the
    // run (checked below), and the two waits stay well inside them on a loaded machine.
    EXPECT_GE(loadMs, 900) << "start-up waited for the mutex\n" << run.Report();
    EXPECT_GE(clickMs, 900) << "the posting waited for the mutex\n" << run.Report();
    EXPECT_LT(loadMs + clickMs, 10000) << run.Report();
    EXPECT_LE(0, run.FindCall("Tessaru: item 101 posted -> 0")) << run.Report();
    EXPECT_EQ(STILL_ACTIVE, holder.Process().ExitCode()) << "the holder kept the mutex throughout";
    printf("[ info ] start-up %ld ms, right click %ld ms while the mutex was held\n", loadMs, clickMs);
}

// A section under the queue's name that is not the queue's: messaging stays off, the
// squatter's section is left alone, and everything else works.
TEST(HostilePeer, SquattersLeaveMessagingOffAndTheClientWorking)
{
    struct Row {
        const char* kind;
        DWORD readable;  // bytes of the squatter's section a test can look at
    } rows[] = {{"small", 4096}, {"huge", 65536}, {"reserve", 0}};
    for (const Row& row : rows) {
        ReadyPeer squatter("Client", std::string("squat Client ") + row.kind);
        ASSERT_TRUE(squatter.Ready()) << row.kind;
        ClientScenario game;
        ScenarioRun run = game.Run("--script --pick 1");
        ASSERT_FALSE(run.process.timedOut) << row.kind << "\n" << run.Report();
        EXPECT_EQ(0u, run.process.exitCode) << row.kind << "\n" << run.Report();
        EXPECT_TRUE(run.Printed("client: done")) << row.kind << "\n" << run.Report();
        EXPECT_LE(0, run.FindCall("Tessaru: item 101 posted -> 0")) << row.kind << "\n" << run.Report();
        if (!row.readable)
            continue;
        CKernelHandle section(OpenFileMappingA(FILE_MAP_READ, FALSE, SharedMemoryChannel::SectionName("Client").c_str()));
        ASSERT_TRUE(section) << row.kind;
        CMappedView mapped(MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, row.readable));
        ASSERT_TRUE(mapped) << row.kind;
        const auto* view = static_cast<const uint8_t*>(mapped.Get());
        EXPECT_EQ(static_cast<ptrdiff_t>(row.readable), std::count(view, view + row.readable, 0))
            << row.kind << ": the plug-in wrote into the squatter's section";
    }
}
