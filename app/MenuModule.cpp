#include "app/MenuModule.h"

#include "app/ComponentFiles.h"
#include "app/ModuleDirectory.h"
#include "app/OutsideCall.h"
#include "app/ProcAddress.h"
#include "framework/CWinApp.h"
#include "framework/LoadedLibrary.h"

#include <utility>

namespace {

template <typename Fn>
void LookUp(HMODULE hLibrary, const char* pszName, Fn& pfn)
{
    pfn = ProcAddress<Fn>(hLibrary, pszName);
}

}  // namespace

bool MenuEntryPoints::IsComplete() const
{
    bool bComplete = true;
    ForEach(*this, [&](const char*, auto pfn) { bComplete = bComplete && pfn; });
    return bComplete;
}

MenuModule::MenuModule(HMODULE hLibrary, const MenuEntryPoints& entries)
    : m_hLibrary(hLibrary), m_entries(entries)
{
}

bool MenuModule::Bind(const CString& directory)
{
    Release();
    CLoadedLibrary library(LoadLibraryBeside(directory, ComponentFiles::kMenuModule));
    if (!library)
        return false;
    MenuEntryPoints entries;
    MenuEntryPoints::ForEach(entries, [&](const char* pszName, auto& pfn) { LookUp(library.Get(), pszName, pfn); });
    if (!entries.IsComplete()) {
        AfxMessageBox("加载菜单模块失败", MB_OK, 0);
        return false;  // the library goes with its owner
    }
    m_hLibrary = library.Detach();  // stays loaded for the menu objects it makes
    m_entries = entries;
    return true;
}

void MenuModule::Release()
{
    CLoadedLibrary bound(std::exchange(m_hLibrary, nullptr));  // freed here
    m_entries = MenuEntryPoints();
}

void* MenuModule::CreateRMenuObject(CPeerWnd* pWnd) const
{
    void* pMenu = nullptr;
    if (IsBound() && !CallOutside([&, pfn = m_entries.pfnCreateRMenuObject] { pMenu = pfn(pWnd); }))
        return nullptr;
    return pMenu;
}

void MenuModule::SetLpIGameSite(void* pMenu, IGameSite* pGameSite) const
{
    if (IsBound())
        CallOutside([=, pfn = m_entries.pfnSetLpIGameSite] { pfn(pMenu, pGameSite); });
}

void MenuModule::CreateRMenu(void* pMenu, int32_t nFirst, int32_t nSecond) const
{
    if (IsBound())
        CallOutside([=, pfn = m_entries.pfnCreateRMenu] { pfn(pMenu, nFirst, nSecond, 0, 0, 0, 0); });
}
