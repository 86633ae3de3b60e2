// The exports' work on the application object, driven with stand-in objects whose
// method tables are fixed here: the loudspeaker text bytes, the pass-through calls,
// the unbound cases, the configuration window decision and a repeated shutdown.
#include "app/PluginApp.h"
#include "config/DeviceConfig.h"
#include "client/PeerWindow.h"
#include "framework/CPeerWnd.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

struct FakeArchive {
    CGameZip base;
    int32_t nNumber;
    int32_t nKind;
    const char* pszText;
    int nCalls;
    int32_t args[5];
};

int __thiscall FakeGetMessageInfo(CGameZip* self, int32_t nRequest, int32_t nSecond, int32_t nFirst,
                                  SpeakMessage* pMessage, int32_t nFlags)
{
    auto* fake = reinterpret_cast<FakeArchive*>(self);
    ++fake->nCalls;
    const int32_t args[5] = {nRequest, nSecond, nFirst, pMessage->m_strText.IsEmpty() ? 0 : -1, nFlags};
    memcpy(fake->args, args, sizeof args);
    pMessage->m_nNumber = fake->nNumber;
    pMessage->m_nKind = fake->nKind;
    pMessage->m_strText = fake->pszText;
    return 0;
}

const CGameZipVtbl kFakeArchiveVtbl = {nullptr, nullptr, FakeGetMessageInfo};

struct FakeCoreHost {
    ICoreHost base;
    IZRKModules* pModules;
    std::string calls;
};

struct FakeModules {
    IZRKModules base;
    std::string calls;
};

FakeCoreHost* Host(ICoreHost* self) { return reinterpret_cast<FakeCoreHost*>(self); }

HRESULT STDMETHODCALLTYPE HostGetModule(ICoreHost* self, REFIID iid, void** ppModule)
{
    Host(self)->calls += iid == IID_IZRKModules ? "GetModule(modules) " : "GetModule(other) ";
    *ppModule = Host(self)->pModules;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostShutdown(ICoreHost* self)
{
    Host(self)->calls += "Shutdown ";
    return S_OK;
}

ULONG STDMETHODCALLTYPE HostRelease(ICoreHost* self)
{
    Host(self)->calls += "Release ";
    return 0;
}

HRESULT STDMETHODCALLTYPE ModulesTransferValue(IZRKModules* self, int32_t nValue)
{
    reinterpret_cast<FakeModules*>(self)->calls += "TransferValue(" + std::to_string(nValue) + ") ";
    return S_OK;
}

// Only the methods the plug-in may call are set: any other call crashes the test.
const ICoreHostVtbl kFakeHostVtbl = {nullptr, nullptr, HostRelease, nullptr, nullptr,
                                     HostGetModule, nullptr, nullptr, nullptr, HostShutdown};
const IZRKModulesVtbl kFakeModulesVtbl = {nullptr, nullptr, nullptr, ModulesTransferValue};

std::string g_menuCalls;
HWND g_hWndWherePeersRead = nullptr;

// Reads the window handle where a framework-built menu module reads it.
void* __cdecl FakeCreateRMenuObject(CPeerWnd* pWnd)
{
    g_menuCalls += pWnd ? "CreateRMenuObject " : "CreateRMenuObject(null) ";
    g_hWndWherePeersRead = PeerWindowHandle(pWnd);
    static int objects[2];
    static int count = 0;
    return &objects[count++ % 2];
}

void __cdecl FakeSetLpIGameSite(void*, IGameSite*) { g_menuCalls += "SetLpIGameSite "; }

void __cdecl FakeMenuOnly(void*) { g_menuCalls += "unexpected "; }

void __cdecl FakeCreateRMenu(void*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    g_menuCalls += "CreateRMenu ";
}

}  // namespace

TEST(GetSpeakInfo, WritesThePrefixForLoudspeakerMessagesOnly)
{
    struct Row {
        int32_t nKind;
        int32_t nNumber;
        const char* pszText;
        std::string expected;
    };
    const Row rows[] = {
        {2, 3, "hi", "/laba[3]\xCB\xB5: hi"},
        {2, -12, "x", "/laba[-12]\xCB\xB5: x"},
        {2, INT_MIN, "", "/laba[-2147483648]\xCB\xB5: "},
        {2, 0, "\xC4\xE3\xBA\xC3", "/laba[0]\xCB\xB5: \xC4\xE3\xBA\xC3"},
        {1, 3, "plain", "plain"},
        {0, 99, "", ""},
        {-2, 5, "kind -2", "kind -2"},
    };
    for (const Row& row : rows) {
        PluginApp app;
        FakeArchive archive = {{&kFakeArchiveVtbl}, row.nNumber, row.nKind, row.pszText, 0, {}};
        app.UseHelpLibrary(HelpLibrary(nullptr, &archive.base));
        char buffer[64];
        memset(buffer, 0x7F, sizeof buffer);
        char* pBuffer = buffer;
        EXPECT_EQ(S_OK, app.GetSpeakInfo(11, 22, &pBuffer)) << row.expected;
        EXPECT_EQ(row.expected, std::string(buffer)) << "kind " << row.nKind << " number " << row.nNumber;
        EXPECT_EQ(0x7F, buffer[row.expected.size() + 1]) << "written past the terminator: " << row.expected;
        // 1, second, first, an empty record, 0.
        EXPECT_EQ(1, archive.nCalls);
        const int32_t expectedArgs[5] = {1, 22, 11, 0, 0};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(expectedArgs[i], archive.args[i]) << "argument " << i;
    }
}

TEST(GetSpeakInfo, FailsWithoutArchiveOrBufferAndLeavesTheBuffer)
{
    PluginApp app;
    char buffer[16] = "untouched";
    char* pBuffer = buffer;
    EXPECT_EQ(E_FAIL, app.GetSpeakInfo(0, 0, &pBuffer));
    EXPECT_STREQ("untouched", buffer);

    FakeArchive archive = {{&kFakeArchiveVtbl}, 1, 2, "text", 0, {}};
    app.UseHelpLibrary(HelpLibrary(nullptr, &archive.base));
    char* pNull = nullptr;
    EXPECT_EQ(E_FAIL, app.GetSpeakInfo(0, 0, nullptr));
    EXPECT_EQ(E_FAIL, app.GetSpeakInfo(0, 0, &pNull));
    EXPECT_EQ(0, archive.nCalls) << "the archive was asked although there was nowhere to write";
}

TEST(TransferPointer, HandsOverTheHostAndPassesTheValueOn)
{
    PluginApp app;
    FakeModules modules = {{&kFakeModulesVtbl}, ""};
    FakeCoreHost host = {{&kFakeHostVtbl}, &modules.base, ""};
    app.UseCoreHost(&host.base, nullptr);
    ICoreHost* slot = nullptr;
    app.TransferPointer(-5, &slot);
    EXPECT_EQ(&host.base, slot);
    EXPECT_EQ("GetModule(modules) ", host.calls);
    EXPECT_EQ("TransferValue(-5) ", modules.calls);

    host.pModules = nullptr;  // no modules object: nothing further
    app.TransferPointer(7, &slot);
    EXPECT_EQ("TransferValue(-5) ", modules.calls);
    app.TransferPointer(8, nullptr);  // no slot: nothing at all
    EXPECT_EQ("GetModule(modules) GetModule(modules) ", host.calls);
    app.UseCoreHost(nullptr, nullptr);
}

TEST(TransferPointer, WithoutHostTheSlotGetsNull)
{
    PluginApp app;
    auto* slot = reinterpret_cast<ICoreHost*>(0x1234);
    app.TransferPointer(1, &slot);
    EXPECT_EQ(nullptr, slot);
}

TEST(MenuExports, CallThroughWhatIsBoundAndKeepTheLastMenuObject)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "menu owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    PluginApp app;
    g_menuCalls.clear();
    app.OnRButton(1, 2);  // nothing bound
    app.CreateRPopupMenu(hWnd);
    EXPECT_EQ("", g_menuCalls);
    EXPECT_EQ(nullptr, app.MenuObject());

    MenuEntryPoints entries;
    entries.pfnCreateRMenuObject = FakeCreateRMenuObject;
    entries.pfnReleaseRMenuWnd = FakeMenuOnly;
    entries.pfnAddNewMenu = FakeMenuOnly;
    entries.pfnCreateRMenu = FakeCreateRMenu;
    entries.pfnSetLpIGameSite = FakeSetLpIGameSite;
    app.UseMenuModule(MenuModule(GetModuleHandleA(nullptr), entries));
    app.CreateRPopupMenu(hWnd);
    void* first = app.MenuObject();
    app.CreateRPopupMenu(hWnd);
    EXPECT_NE(first, app.MenuObject()) << "the second menu object replaces the first";
    app.OnRButton(1, 2);
    EXPECT_EQ("CreateRMenuObject CreateRMenuObject SetLpIGameSite CreateRMenu ", g_menuCalls);
    EXPECT_EQ(hWnd, g_hWndWherePeersRead) << "the window object's handle is not where peers read it";
    DestroyWindow(hWnd);
}

TEST(Shutdown, ShutsTheHostDownReleasesItFreesItsLibraryOnce)
{
    PluginApp app;
    FakeCoreHost host = {{&kFakeHostVtbl}, nullptr, ""};
    std::string library = BinDir() + "\\Orvalt_noentry.dll";
    app.UseCoreHost(&host.base, LoadLibraryA(library.c_str()));
    ASSERT_NE(nullptr, app.CoreLibrary());
    app.ExitInstance();
    EXPECT_EQ("Shutdown Release ", host.calls);
    EXPECT_EQ(nullptr, GetModuleHandleA(library.c_str())) << "the core library stayed loaded";
    EXPECT_EQ(nullptr, app.CoreHost());
    EXPECT_EQ(nullptr, app.CoreLibrary());
    app.ExitInstance();
    EXPECT_EQ("Shutdown Release ", host.calls) << "a second shutdown did something";
}

// Both libraries are looked for in the parent of the given folder; a help library
// without "GetGameZipPtr" is not kept.
TEST(ComponentLibraries, BindFromTheParentFolderOrNotAtAll)
{
    TempDir game;
    MakeDirs(game / "Bin");
    CopyBinary("Tessaru.dll", game.Path());
    CopyBinary("Orvalt.dll", game.Path());
    const CString bin = (game / "Bin\\").c_str();
    MenuModule menu;
    HelpLibrary help;
    EXPECT_TRUE(menu.Bind(bin));
    EXPECT_TRUE(menu.IsBound());
    EXPECT_TRUE(help.Bind(bin));
    EXPECT_NE(nullptr, help.GameZip());

    TempDir empty;
    const CString nowhere = (empty / "Bin\\").c_str();
    EXPECT_FALSE(menu.Bind(nowhere));
    EXPECT_FALSE(menu.IsBound()) << "a failed bind keeps nothing of the earlier one";
    EXPECT_EQ(nullptr, menu.CreateRMenuObject(nullptr));
    EXPECT_FALSE(help.Bind(nowhere));
    EXPECT_EQ(nullptr, help.GameZip());

    const std::string orvalt = empty / "Orvalt.dll";
    ASSERT_TRUE(CopyFileA((BinDir() + "\\Orvalt_noentry.dll").c_str(), orvalt.c_str(), FALSE));
    EXPECT_FALSE(help.Bind(nowhere));
    EXPECT_EQ(nullptr, help.GameZip());
    EXPECT_EQ(nullptr, GetModuleHandleA(orvalt.c_str())) << "the library without entry stayed loaded";
}
