// Start-up and shutdown of the plug-in in a client process: what reaches the component
// host, in what order and with which identifiers, flags and paths, and what happens
// when the host cannot be created.
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

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
        for (const char* other : {"ZRKModules:", "ZRKEncoder:", "Tessaru:", "Orvalt:", "Vantri: LoadModule"})
            EXPECT_EQ(0, run.CountCalls(other)) << c.name << ": " << other << "\n" << run.Report();
        // A host library that did load is freed once, by the shutdown after the failure.
        int expectedUnloads = *c.vantri ? 1 : 0;
        EXPECT_EQ(expectedUnloads, run.CountCalls("Vantri: unloaded")) << c.name << "\n" << run.Report();
    }
}

TEST(StartUp, CountsTheOpeningInMemoryOnly)
{
    ScenarioLayout layout;
    layout.devconfig = "opencount=2\nshownext=0\nwidth=1024\n";
    ClientScenario game(layout);
    ScenarioRun run = game.Run();
    EXPECT_TRUE(run.Printed("opencount  = 3")) << run.Report();
    EXPECT_TRUE(run.Printed("width      = 1024")) << run.Report();
    EXPECT_EQ(layout.devconfig, ReadFileBytes(game.WorkDir() + "\\devconfig.txt"));
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
    for (const char* name : {"client.exe", "ZRKTempDll.dll", "Vantri.dll", "ZRKModules.dll",
                             "ZRKEncoder.dll", "ZRKMsgData.bin"})
        CopyBinaryAs(name, deep + "\\Bin\\" + name);
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
