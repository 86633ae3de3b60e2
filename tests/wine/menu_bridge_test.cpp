// The menu module and the help library in a client process: where they are looked
// up, what a missing entry point does, and the exports that call through them.
#include "messaging/SharedMemoryChannel.h"
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// The number that follows "key=" in the output, or LONG_MIN.
long Number(const std::string& output, const std::string& key)
{
    size_t at = output.find(key + "=");
    return at == std::string::npos ? LONG_MIN : strtol(output.c_str() + at + key.size() + 1, nullptr, 10);
}

}  // namespace

TEST(MenuModule, RightClickUsesTheLastMenuObjectAndHandsOverTheSite)
{
    ClientScenario game;
    SharedMemoryChannel queue;  // held, so that the records outlive the client
    ASSERT_TRUE(queue.Open("Client"));
    ScenarioRun run = game.Run("--script --pick 3");
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    // The scripted client makes one menu object, then right-clicks at 40,30.
    int first = run.FindCall("Tessaru: CreateRMenuObject window attached -> menu 1");
    int second = run.FindCall("Tessaru: CreateRMenuObject window attached -> menu 2");
    int site = run.FindCall("Tessaru: SetLpIGameSite menu 2 site set");
    int menu = run.FindCall("Tessaru: CreateRMenu menu 2 40 30 0 0 0 0");
    EXPECT_LE(0, first) << run.Report();
    EXPECT_LT(first, second) << run.Report();
    EXPECT_LT(second, site) << run.Report();
    EXPECT_LT(site, menu) << run.Report();
    EXPECT_EQ(1, run.CountCalls("Tessaru: CreateRMenu ")) << run.Report();
    EXPECT_LE(0, run.FindCall("Tessaru: menu closed, item 103")) << run.Report();
    EXPECT_LE(0, run.FindCall("Tessaru: item 103 posted -> 0")) << run.Report();
    EXPECT_FALSE(run.Printed("the stack moved")) << run.Report();  // the client's check, x86

    // The third item posts type 8 with the click's second value and its text.
    ProcessResult reader = RunProcess("\"" + ::BinDir() + "\\queue_reader.exe\" --follow 1 --seconds 10",
                                      game.Root());
    EXPECT_NE(std::string::npos, reader.output.find("type=8 value=30 length=8")) << reader.output;
    EXPECT_NE(std::string::npos, reader.output.find("hex:  B2 E9 BF B4 D7 CA C1 CF")) << reader.output;
    EXPECT_NE(std::string::npos, reader.output.find(u8"text: 查看资料")) << reader.output;
}

TEST(MenuModule, AMissingEntryPointIsReportedOnceAndUnbindsTheModule)
{
    ScenarioLayout layout;
    layout.tessaru = "Tessaru_noaddnew.dll";
    ClientScenario game(layout);
    ScenarioRun run = game.Run();
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    EXPECT_EQ(1, run.CountPrinted(u8"messagebox: 加载菜单模块失败")) << run.Report();
    // Freed during start-up, before the help library is bound; the right click then
    // reaches nothing of it.
    int unloaded = run.FindCall("Tessaru: unloaded");
    EXPECT_LE(0, unloaded) << run.Report();
    EXPECT_LT(unloaded, run.FindCall("Orvalt: loaded")) << run.Report();
    EXPECT_EQ(1, run.CountCalls("Tessaru: loaded")) << run.Report();
    EXPECT_EQ(0, run.CountCalls("Tessaru: CreateRMenu")) << run.Report();
    EXPECT_EQ(0, run.CountCalls("Tessaru: SetLpIGameSite")) << run.Report();
    EXPECT_TRUE(run.Printed("speak[0]: hr=0x00000000")) << run.Report();
}

// Framework-built modules that use what they are handed as their compiler does: one
// asks the window object's class as IsKindOf does and deletes the object (the client's
// window stays and the menu still shows on it), one deletes the site through its
// destructor slot after posting. The stack is as it was after each delete, and the
// process ends normally.
TEST(MenuModule, ModulesThatDeleteWhatTheyAreHandedLeaveTheClientWhole)
{
    struct Case {
        const char* tessaru;
        const char* arguments;
        std::vector<std::pair<std::string, int>> calls;  // each call and how often it comes
    };
    const Case cases[] = {
        {"Tessaru_askclass.dll", "--script --pick 1",
         {{"Tessaru: window object's class CWnd, is not our CWnd", 2},
          {"Tessaru: window object deleted, stack kept, window alive", 2},
          {"Tessaru: menu closed, item 101", 1}}},
        {"Tessaru_deletesite.dll", "--script --pick 2",
         {{"Tessaru: item 102 posted -> 0", 1}, {"Tessaru: site deleted, stack kept", 1}}},
    };
    for (const Case& c : cases) {
        ScenarioLayout layout;
        layout.tessaru = c.tessaru;
        ClientScenario game(layout);
        ScenarioRun run = game.Run(c.arguments);
        ASSERT_FALSE(run.process.timedOut) << c.tessaru << "\n" << run.Report();
        EXPECT_EQ(0u, run.process.exitCode) << c.tessaru << "\n" << run.Report();
        for (const auto& call : c.calls)
            EXPECT_EQ(call.second, run.CountCalls(call.first)) << call.first << "\n" << run.Report();
        EXPECT_TRUE(run.Printed("client: done")) << c.tessaru << "\n" << run.Report();
        EXPECT_FALSE(run.Printed("the stack moved")) << c.tessaru << "\n" << run.Report();
    }
}

TEST(MenuModule, IsLookedUpOnlyInTheParentOfTheClientFolder)
{
    ScenarioLayout layout;
    layout.tessaru = "";
    ClientScenario game(layout);
    // Beside the client and in the current directory it must not be found.
    CopyBinary("Tessaru.dll", game.BinDir());
    CopyBinary("Tessaru.dll", game.WorkDir());
    ScenarioRun run = game.Run();
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    EXPECT_FALSE(run.Printed("messagebox:")) << run.Report();
    EXPECT_EQ(0, run.CountCalls("Tessaru:")) << run.Report();
    EXPECT_LE(0, run.FindCall("Orvalt: GetGameZipPtr")) << run.Report();
}

TEST(HelpLibrary, WithoutAGameArchiveSpeakInfoFailsSilently)
{
    for (const char* orvalt : {"Orvalt_null.dll", "Orvalt_noentry.dll", ""}) {
        ScenarioLayout layout;
        layout.orvalt = orvalt;
        ClientScenario game(layout);
        ScenarioRun run = game.Run("--script --speak 1");
        ASSERT_FALSE(run.process.timedOut) << orvalt << "\n" << run.Report();
        EXPECT_EQ(0u, run.process.exitCode) << orvalt << "\n" << run.Report();
        EXPECT_FALSE(run.Printed("messagebox:")) << orvalt << "\n" << run.Report();
        EXPECT_TRUE(run.Printed("speak[0]: hr=0x80004005 text=untouched")) << orvalt << "\n" << run.Report();
        EXPECT_EQ(0, run.CountCalls("Orvalt: GetMessageInfo")) << orvalt << "\n" << run.Report();
    }
}

TEST(Exports, TransferPointerAndSpeakInfoReachTheComponents)
{
    ClientScenario game;
    ScenarioRun run = game.Run("--script --speak 3");
    ASSERT_FALSE(run.process.timedOut) << run.Report();
    EXPECT_TRUE(run.Printed("TransferPointer gave the component host")) << run.Report();
    int getModule = run.FindCall("Vantri: GetModule {142027DF-4F0C-47F1-8C1B-BF8DB7B9DB51} -> found");
    EXPECT_LE(0, getModule) << run.Report();
    EXPECT_EQ(getModule + 1, run.FindCall("ZRKModules: TransferValue 20041009")) << run.Report();
    // The archive gets 1, second, first, the record and 0.
    EXPECT_LE(0, run.FindCall("Orvalt: GetMessageInfo 1 0 2 0")) << run.Report();
    // "/laba[3]说: " then the text, from the generated message data.
    EXPECT_TRUE(run.Printed("speak[0]: hr=0x00000000 text=/laba[3]" + std::string(u8"说: 今晚八点")))
        << run.Report();
    EXPECT_TRUE(run.Printed("bytes=2f6c6162615b2d375dcbb53a20b3f6")) << run.Report();
    EXPECT_TRUE(run.Printed("speak[2]: hr=0x00000000 text=" + std::string(u8"系统公告"))) << run.Report();
    EXPECT_FALSE(run.Printed("the stack moved")) << run.Report();  // the client's check, x86
}

// The shipped plug-in with the framework-model help library, ten thousand texts in a row:
// every free the plug-in makes is of a block it allocated, the help library's blocks and
// its empty string stay under its own rules, and the C runtime heap stays sound and flat.
TEST(HelpLibrary, TenThousandTextsFreeOnlyThePlugInsBlocksAndLeaveTheHeapAsItWas)
{
    ClientScenario game;
    CopyBinary("speak_probe.exe", game.BinDir());
    ProcessResult probe = RunProcess("\"" + game.BinDir() + "\\speak_probe.exe\" 10000", game.WorkDir());
    const std::string& out = probe.output;
    ASSERT_FALSE(probe.timedOut) << out;
    ASSERT_EQ(0u, probe.exitCode) << out;
    EXPECT_EQ(2, Number(out, "trapped plug-in imports")) << out;
    EXPECT_EQ(1, Number(out, "help library imports")) << out;
    EXPECT_NE(std::string::npos, out.find("calls=10000 failed=0 mismatched=0")) << out;

    EXPECT_EQ(0, Number(out, "foreign frees")) << "the plug-in freed a block it did not allocate\n" << out;
    EXPECT_EQ(0, Number(out, "overflow")) << out;
    EXPECT_LT(0, Number(out, "allocations")) << "the trap saw nothing\n" << out;
    EXPECT_LT(0, Number(out, "frees at unload")) << "the trap saw nothing\n" << out;
    EXPECT_LT(0, Number(out, "help library frees of plug-in blocks")) << out;

    EXPECT_EQ(1, Number(out, "heap valid")) << out;
    EXPECT_EQ(Number(out, "busy early"), Number(out, "late")) << "heap use grew\n" << out;
    EXPECT_GE(1, Number(out, "max") - Number(out, "min")) << "more than one of its blocks held\n" << out;
    EXPECT_EQ(0, Number(out, "foreign pool blocks")) << out;
    EXPECT_EQ(0, Number(out, "static releases")) << out;
    EXPECT_EQ(-1, Number(out, "empty refs")) << out;
}
