// Tessaru.dll, the right-click menu module: a menu object per client window, a real
// popup menu at the cursor, and items that post records through the IGameSite. Like the
// real one, built on the shared framework, it takes the window object for one of that
// framework's and reads the handle where that framework keeps it.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/PeerWindow.h"

#include <cstring>

namespace {

struct MenuObject {
    int nId;
    const void* pWnd;  // the plug-in's window object, read when the menu shows
    IGameSite* pSite;
};

enum MenuCommand { kInvite = 101, kTrade = 102, kProfile = 103 };

int g_nMenuCount = 0;

// The item's text goes out as the record's payload.
void PostItem(const MenuObject& menu, UINT nCommand, const char* pszText, int32_t nSecond)
{
    int32_t nLength = static_cast<int32_t>(strlen(pszText));
    if (!menu.pSite) {
        LogCall("Tessaru: item %u chosen, no site to post to", nCommand);
        return;
    }
    HRESULT hr = S_OK;
    if (nCommand == kInvite)
        hr = menu.pSite->PostType6(nLength, pszText);
    else if (nCommand == kTrade)
        hr = menu.pSite->PostType7(nLength, pszText);
    else
        hr = menu.pSite->PostType8(nSecond, nLength, pszText);
    LogCall("Tessaru: item %u posted -> %ld", nCommand, static_cast<long>(hr));
}

}  // namespace

extern "C" {

void* __cdecl CreateRMenuObject(const void* pWnd)
{
    auto* pMenu = new MenuObject{++g_nMenuCount, pWnd, nullptr};
    LogCall("Tessaru: CreateRMenuObject window %s -> menu %d",
            IsWindow(PeerWindowHandle(pWnd)) ? "attached" : "none", pMenu->nId);
    return pMenu;
}

void __cdecl ReleaseRMenuWnd(void* pMenuObject)
{
    LogCall("Tessaru: ReleaseRMenuWnd");
    delete static_cast<MenuObject*>(pMenuObject);
}

#ifndef TESSARU_NO_ADD_NEW_MENU
void __cdecl AddNewMenu(void*, UINT, const char*)
{
    LogCall("Tessaru: AddNewMenu");
}
#endif

void __cdecl SetLpIGameSite(void* pMenuObject, IGameSite* pSite)
{
    auto* pMenu = static_cast<MenuObject*>(pMenuObject);
    LogCall("Tessaru: SetLpIGameSite menu %d site %s", pMenu ? pMenu->nId : 0, pSite ? "set" : "null");
    if (pMenu)
        pMenu->pSite = pSite;
}

void __cdecl CreateRMenu(void* pMenuObject, int32_t nFirst, int32_t nSecond, int32_t a, int32_t b,
                         int32_t c, int32_t d)
{
    auto* pMenu = static_cast<MenuObject*>(pMenuObject);
    LogCall("Tessaru: CreateRMenu menu %d %ld %ld %ld %ld %ld %ld", pMenu ? pMenu->nId : 0,
            static_cast<long>(nFirst), static_cast<long>(nSecond), static_cast<long>(a),
            static_cast<long>(b), static_cast<long>(c), static_cast<long>(d));
    HWND hWnd = pMenu ? PeerWindowHandle(pMenu->pWnd) : nullptr;
    if (!IsWindow(hWnd))
        return;
    struct Item {
        UINT nCommand;
        const char* pszText;
    };
    static const Item kItems[] = {{kInvite, "组队邀请"}, {kTrade, "交易请求"}, {kProfile, "查看资料"}};
    HMENU hMenu = CreatePopupMenu();
    for (const Item& item : kItems)
        AppendMenuA(hMenu, MF_STRING, item.nCommand, item.pszText);
    POINT cursor = {};
    GetCursorPos(&cursor);
    UINT nChosen = TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, cursor.x,
                                  cursor.y, 0, hWnd, nullptr);
    DestroyMenu(hMenu);
    LogCall("Tessaru: menu closed, item %u", nChosen);
    for (const Item& item : kItems)
        if (item.nCommand == nChosen)
            PostItem(*pMenu, nChosen, item.pszText, nSecond);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    LogLibraryEvent("Tessaru", dwReason);
    return TRUE;
}

}  // extern "C"
