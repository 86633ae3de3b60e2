// GetSpeakInfo with the framework-model help library from the build: the archive's own
// string code assigns the record's text from its pools, from malloc, by sharing a string
// object it keeps, or leaves its own empty string; the plug-in must take each whole and
// leave every block as the archive's rules expect.
#include "app/PluginApp.h"
#include "app/ProcAddress.h"
#include "client/PeerString.h"
#include "tests/wine/StringBlock.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using GetGameZipPtrFn = CGameZip*(__cdecl*)();
using GetStringStatsFn = void(__cdecl*)(PeerStringStats*);
using GetKeptTextFn = const char*(__cdecl*)(int);

const int kBulletin = 2;  // the message whose text is a string object the archive keeps

// Loaded once and never freed: a record may still hold one of its blocks.
struct ArchiveLibrary {
    ArchiveLibrary()
    {
        hModule = LoadLibraryA((BinDir() + "\\Orvalt.dll").c_str());
        auto getArchive = ProcAddress<GetGameZipPtrFn>(hModule, "GetGameZipPtr");
        getStats = ProcAddress<GetStringStatsFn>(hModule, "GetStringStats");
        getKept = ProcAddress<GetKeptTextFn>(hModule, "GetKeptText");
        pArchive = getArchive ? getArchive() : nullptr;
    }
    PeerStringStats Stats() const
    {
        PeerStringStats stats = {};
        getStats(&stats);
        return stats;
    }

    HMODULE hModule = nullptr;
    CGameZip* pArchive = nullptr;
    GetStringStatsFn getStats = nullptr;
    GetKeptTextFn getKept = nullptr;
};

const ArchiveLibrary& TheArchiveLibrary()
{
    static ArchiveLibrary library;
    return library;
}

std::string Speak(PluginApp& app, int nIndex)
{
    char buffer[1024];
    memset(buffer, 0x7F, sizeof buffer);
    char* pBuffer = buffer;
    EXPECT_EQ(S_OK, app.GetSpeakInfo(nIndex, 0, &pBuffer)) << "message " << nIndex;
    std::string text(buffer);
    EXPECT_EQ(0x7F, buffer[text.size() + 1]) << "written past the terminator, message " << nIndex;
    return text;
}

struct SpeakCall {
    PluginApp* pApp;
    HRESULT hr;
};

DWORD WINAPI SpeakOnThread(void* pParameter)
{
    auto* pCall = static_cast<SpeakCall*>(pParameter);
    char buffer[256];
    char* pBuffer = buffer;
    pCall->hr = pCall->pApp->GetSpeakInfo(1, 0, &pBuffer);
    return 0;
}

std::string Repeat(const std::string& piece, int nTimes)
{
    std::string text;
    for (int i = 0; i < nTimes; ++i)
        text += piece;
    return text;
}

}  // namespace

TEST(SpeakInfo, TextsOfAFrameworkBuiltArchiveArriveWholeAndItsBlocksStayItsOwn)
{
    const ArchiveLibrary& help = TheArchiveLibrary();
    ASSERT_NE(nullptr, help.pArchive);
    ASSERT_TRUE(help.getStats && help.getKept);
    const char* pchBulletin = help.getKept(kBulletin);
    ASSERT_NE(nullptr, pchBulletin);
    const PeerStringStats before = help.Stats();

    struct Row {
        int nIndex;
        std::string expected;
        long nBulletinRefs;  // the kept string's count after the call
        const char* what;
    };
    const std::string shortText = "/laba[3]说: 今晚八点王城集合，攻城战开始！";
    const std::string longText = "/laba[8]说: " + Repeat("攻城战报名开始，", 40);
    const std::string bulletin = "系统公告：服务器将于明日维护";
    const Row rows[] = {
        {0, shortText, 1, "a short text: a pool block"},
        {1, "/laba[-7]说: 出售极品武器，价格面议", 1, "a shorter one, in the block the record kept"},
        {5, longText, 1, "a long text: a block of its own from malloc"},
        {5, longText, 1, "the long text again, in place"},
        {4, "/laba[5]说: 【公告】本周六晚八点举行全服攻城战，请各位会长提前报名，奖励丰厚，欢迎参加！", 1,
         "a medium text: the next pool"},
        {kBulletin, bulletin, 2, "a bulletin: the block of a string object the archive keeps"},
        {kBulletin, bulletin, 2, "the bulletin again: shared once more"},
        {99, "", 1, "no such message: the archive's own empty string"},
        {99, "", 1, "again from the archive's empty string"},
        {3, "/laba[0]说: ", 1, "an empty text"},
        {kBulletin, bulletin, 2, "a bulletin after an empty text"},
        {0, shortText, 1, "a short text after a shared block"},
    };
    PluginApp app;
    app.UseHelpLibrary(HelpLibrary(help.hModule, help.pArchive));
    for (const Row& row : rows) {
        EXPECT_EQ(row.expected, Speak(app, row.nIndex)) << row.what;
        PeerStringStats stats = help.Stats();
        EXPECT_EQ(row.nBulletinRefs, BlockOf(pchBulletin).nRefs) << row.what;
        EXPECT_EQ(bulletin, pchBulletin) << row.what;
        EXPECT_LE(stats.nLiveBlocks, before.nLiveBlocks + 1) << "more than one of its blocks held: " << row.what;
        EXPECT_EQ(0, stats.nForeignPoolBlocks) << "its pool was given a block of ours: " << row.what;
        EXPECT_EQ(0, stats.nStaticReleases) << "it was handed a static block to release: " << row.what;
        const StringBlock& empty = BlockOf(stats.pchEmpty);
        EXPECT_EQ(-1, empty.nRefs) << "its empty string was counted: " << row.what;
        EXPECT_EQ(0, empty.nDataLength + empty.nAllocLength + stats.pchEmpty[0]) << row.what;
    }
}

// Archives that raise an exception the way their compiler does: an access violation, and
// a C++ exception of their own. The call fails, and the record's lock is free for the
// next call from another thread.
TEST(SpeakInfo, AnArchiveThatRaisesAnExceptionFailsTheCallAndLeavesTheRecordFree)
{
    for (const char* name : {"Orvalt_fault.dll", "Orvalt_throw.dll"}) {
        HMODULE hModule = LoadLibraryA((BinDir() + "\\" + name).c_str());
        ASSERT_NE(nullptr, hModule) << name;
        auto getArchive = ProcAddress<GetGameZipPtrFn>(hModule, "GetGameZipPtr");
        ASSERT_NE(nullptr, getArchive) << name;
        PluginApp app;
        app.UseHelpLibrary(HelpLibrary(hModule, getArchive()));
        char buffer[64] = "untouched";
        char* pBuffer = buffer;
        EXPECT_EQ(E_FAIL, app.GetSpeakInfo(0, 0, &pBuffer)) << name;
        EXPECT_STREQ("", buffer) << name;

        SpeakCall call = {&app, S_OK};
        HANDLE hThread = CreateThread(nullptr, 0, SpeakOnThread, &call, 0, nullptr);
        ASSERT_NE(nullptr, hThread) << name;
        // A record left locked holds the thread for good: the bound only ends the test, and
        // is long enough for a thread's start and one call on a loaded machine.
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hThread, 10000)) << name << ": the record stayed locked";
        EXPECT_EQ(E_FAIL, call.hr) << name;
        CloseHandle(hThread);
    }
}
