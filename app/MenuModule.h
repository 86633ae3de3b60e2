// The right-click menu module, Tessaru.dll beside the client's folder: its library and
// entry points, bound all together or not at all.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <cstdint>

class CPeerWnd;
struct IGameSite;

// The module's entry points, all with the C convention.
using CreateRMenuObjectFn = void*(__cdecl*)(CPeerWnd* pWnd);
using ReleaseRMenuWndFn = void(__cdecl*)(void* pMenu);
using AddNewMenuFn = void(__cdecl*)(void* pMenu);
using CreateRMenuFn = void(__cdecl*)(void* pMenu, int32_t nFirst, int32_t nSecond, int32_t, int32_t,
                                     int32_t, int32_t);
using SetLpIGameSiteFn = void(__cdecl*)(void* pMenu, IGameSite* pGameSite);

struct MenuEntryPoints {
    CreateRMenuObjectFn pfnCreateRMenuObject = nullptr;
    ReleaseRMenuWndFn pfnReleaseRMenuWnd = nullptr;
    AddNewMenuFn pfnAddNewMenu = nullptr;
    CreateRMenuFn pfnCreateRMenu = nullptr;
    SetLpIGameSiteFn pfnSetLpIGameSite = nullptr;

    bool IsComplete() const;

    // Calls visit(name, pointer) for each entry point: the one list of their names in
    // the module, which Bind looks up and the doctor checks.
    template <typename Entries, typename Visit>
    static void ForEach(Entries& entries, Visit visit)
    {
        visit("CreateRMenuObject", entries.pfnCreateRMenuObject);
        visit("ReleaseRMenuWnd", entries.pfnReleaseRMenuWnd);
        visit("AddNewMenu", entries.pfnAddNewMenu);
        visit("CreateRMenu", entries.pfnCreateRMenu);
        visit("SetLpIGameSite", entries.pfnSetLpIGameSite);
    }
};

// A plain value: its destructor frees nothing, since the library and the menu objects
// it made stay until the process ends. Release frees what a Bind loaded.
class MenuModule {
public:
    MenuModule() = default;
    // Entry points that are already at hand, in a library that is already loaded.
    MenuModule(HMODULE hLibrary, const MenuEntryPoints& entries);

    // Loads directory + "..\Tessaru.dll" and looks up the entry points. A library
    // that lacks one is reported to the player and freed; false then, and when missing.
    bool Bind(const CString& directory);
    void Release();
    bool IsBound() const { return m_hLibrary != nullptr; }

    // Each does nothing (or answers null) while unbound, and each call runs inside the
    // firewall (app/OutsideCall.h): a menu object whose creation raised an exception is
    // null.
    void* CreateRMenuObject(CPeerWnd* pWnd) const;
    void SetLpIGameSite(void* pMenu, IGameSite* pGameSite) const;
    void CreateRMenu(void* pMenu, int32_t nFirst, int32_t nSecond) const;

private:
    HMODULE m_hLibrary = nullptr;
    MenuEntryPoints m_entries;
};
