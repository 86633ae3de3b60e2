#include "app/MenuModuleBridge.h"

#include "app/ModuleDirectory.h"
#include "app/PluginApp.h"
#include "app/ProcAddress.h"

namespace {

template <typename Fn>
void LookUp(HMODULE hLibrary, const char* pszName, Fn& pfn)
{
    pfn = ProcAddress<Fn>(hLibrary, pszName);
}

void ClearMenuEntryPoints(PluginApp& app)
{
    app.m_pfnCreateRMenuObject = nullptr;
    app.m_pfnReleaseRMenuWnd = nullptr;
    app.m_pfnAddNewMenu = nullptr;
    app.m_pfnCreateRMenu = nullptr;
    app.m_pfnSetLpIGameSite = nullptr;
}

// A path that cannot be built in full leaves the library out, as if it were missing.
HMODULE LoadBeside(const CString& directory, const char* pszName)
{
    char path[MAX_PATH];
    return FormatModulePath(path, directory, pszName) ? LoadLibraryA(path) : nullptr;
}

void BindMenuLibrary(PluginApp& app, const CString& directory)
{
    app.m_hMenuLibrary = LoadBeside(directory, "..\\Tessaru.dll");
    if (!app.m_hMenuLibrary)
        return;
    LookUp(app.m_hMenuLibrary, "CreateRMenuObject", app.m_pfnCreateRMenuObject);
    LookUp(app.m_hMenuLibrary, "ReleaseRMenuWnd", app.m_pfnReleaseRMenuWnd);
    LookUp(app.m_hMenuLibrary, "AddNewMenu", app.m_pfnAddNewMenu);
    LookUp(app.m_hMenuLibrary, "CreateRMenu", app.m_pfnCreateRMenu);
    LookUp(app.m_hMenuLibrary, "SetLpIGameSite", app.m_pfnSetLpIGameSite);
    if (app.m_pfnCreateRMenuObject && app.m_pfnReleaseRMenuWnd && app.m_pfnAddNewMenu &&
        app.m_pfnCreateRMenu && app.m_pfnSetLpIGameSite)
        return;
    AfxMessageBox("加载菜单模块失败", MB_OK, 0);
    ClearMenuEntryPoints(app);
    FreeLibrary(app.m_hMenuLibrary);
    app.m_hMenuLibrary = nullptr;
}

void BindHelpLibrary(PluginApp& app, const CString& directory)
{
    app.m_hHelpLibrary = LoadBeside(directory, "..\\Orvalt.dll");
    if (!app.m_hHelpLibrary)
        return;
    LookUp(app.m_hHelpLibrary, "GetGameZipPtr", app.m_pfnGetGameZipPtr);
    if (app.m_pfnGetGameZipPtr)
        app.m_pGameZip = app.m_pfnGetGameZipPtr();
    else {
        FreeLibrary(app.m_hHelpLibrary);
        app.m_hHelpLibrary = nullptr;  // a freed handle is not kept
    }
}

}  // namespace

void BindMenuModule(PluginApp& app)
{
    CString directory = ModuleDirectory();
    BindMenuLibrary(app, directory);
    BindHelpLibrary(app, directory);
}
