// Tessaru.dll, the right-click menu module: a menu object per client window, a real
// popup menu at the cursor, and items that post records through the IGameSite. Like the
// real one, built on the shared framework, it takes the window object for one of that
// framework's and reads the handle where that framework keeps it.
// Variants: TESSARU_ASKS_CLASS asks the window object's class as the framework's
// IsKindOf does and deletes the object when it has read its handle; TESSARU_DELETES_SITE
// deletes the IGameSite after its posting, the last thing it does with it.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/FrameworkObjects.h"
#include "client/StackCheck.h"

#include <string.h>

namespace {

struct MenuObject {
    int nId;
    const CWnd* pWnd;  // the plug-in's window object, read when the menu shows
    HWND hWnd;         // the handle, when the object was deleted at once
    IGameSite* pSite;
};

HWND MenuWindow(const MenuObject& menu)
{
    return menu.pWnd ? menu.pWnd->m_hWnd : menu.hWnd;
}

#ifdef TESSARU_ASKS_CLASS
// The module's own record of the framework's window class, reached by nothing it is
// handed; and of the class's base, the root.
CRuntimeClass* __stdcall NoBaseClass() { return nullptr; }
CRuntimeClass g_objectClass = {"CObject", sizeof(CObject), 0xFFFF, nullptr, NoBaseClass, nullptr};
CRuntimeClass* __stdcall ObjectClass() { return &g_objectClass; }
CRuntimeClass g_windowClass = {"CWnd", sizeof(CWnd), 0xFFFF, nullptr, ObjectClass, nullptr};

// A framework-built module that checks what it was given and, done with it, deletes it.
void AskClassAndDelete(MenuObject& menu, CWnd* pWnd)
{
    const CRuntimeClass* pClass = pWnd->GetRuntimeClass();
    bool bKindOf = pWnd->IsKindOf(&g_windowClass);
    LogCall("Tessaru: window object's class %s, %s our CWnd", pClass->m_lpszClassName,
            bKindOf ? "is" : "is not");
    menu.hWnd = pWnd->m_hWnd;
    menu.pWnd = nullptr;
    uintptr_t before = StackPointer();
    delete pWnd;
    uintptr_t after = StackPointer();
    LogCall("Tessaru: window object deleted, stack %s, window %s", before == after ? "kept" : "moved",
            IsWindow(menu.hWnd) ? "alive" : "gone");
}
#endif

#ifdef TESSARU_DELETES_SITE
// The site's table as the module's compiler sees it: its destructor follows the three
// posting methods.
class IGameSiteObject : public IGameSite {
public:
    virtual ~IGameSiteObject() {}
};

void DeleteSite(MenuObject& menu)
{
    auto* pSite = static_cast<IGameSiteObject*>(menu.pSite);
    menu.pSite = nullptr;
    uintptr_t before = StackPointer();
    delete pSite;
    uintptr_t after = StackPointer();
    LogCall("Tessaru: site deleted, stack %s", before == after ? "kept" : "moved");
}
#endif

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

void* __cdecl CreateRMenuObject(CWnd* pWnd)
{
    auto* pMenu = new MenuObject{++g_nMenuCount, pWnd, nullptr, nullptr};
    LogCall("Tessaru: CreateRMenuObject window %s -> menu %d",
            pWnd && IsWindow(pWnd->m_hWnd) ? "attached" : "none", pMenu->nId);
#ifdef TESSARU_ASKS_CLASS
    if (pWnd)
        AskClassAndDelete(*pMenu, pWnd);
#endif
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
    HWND hWnd = pMenu ? MenuWindow(*pMenu) : nullptr;
    if (!IsWindow(hWnd))
        return;
    struct Item {
        UINT nCommand;
        const char* pszText;
    };
    // The module's texts are GBK: 组队邀请, 交易请求, 查看资料.
    static const Item kItems[] = {{kInvite, "\xd7\xe9\xb6\xd3\xd1\xfb\xc7\xeb"},
                                  {kTrade, "\xbd\xbb\xd2\xd7\xc7\xeb\xc7\xf3"},
                                  {kProfile, "\xb2\xe9\xbf\xb4\xd7\xca\xc1\xcf"}};
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
#ifdef TESSARU_DELETES_SITE
    if (nChosen && pMenu->pSite)
        DeleteSite(*pMenu);
#endif
}

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    LogLibraryEvent("Tessaru", dwReason);
    return TRUE;
}

}  // extern "C"
