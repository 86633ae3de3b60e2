#include "app/MenuModule.h"

#include "app/ModuleDirectory.h"
#include "app/OutsideCall.h"
#include "app/ProcAddress.h"
#include "framework/CWinApp.h"

namespace {

template <typename Fn>
void LookUp(HMODULE hLibrary, const char* pszName, Fn& pfn)
{
    pfn = ProcAddress<Fn>(hLibrary, pszName);
}

}  // namespace

bool MenuEntryPoints::IsComplete() const
{
    return pfnCreateRMenuObject && pfnReleaseRMenuWnd && pfnAddNewMenu && pfnCreateRMenu &&
           pfnSetLpIGameSite;
}

MenuModule::MenuModule(HMODULE hLibrary, const MenuEntryPoints& entries)
    : m_hLibrary(hLibrary), m_entries(entries)
{
}

bool MenuModule::Bind(const CString& directory)
{
    Release();
    m_hLibrary = LoadLibraryBeside(directory, "..\\Tessaru.dll");
    if (!m_hLibrary)
        return false;
    LookUp(m_hLibrary, "CreateRMenuObject", m_entries.pfnCreateRMenuObject);
    LookUp(m_hLibrary, "ReleaseRMenuWnd", m_entries.pfnReleaseRMenuWnd);
    LookUp(m_hLibrary, "AddNewMenu", m_entries.pfnAddNewMenu);
    LookUp(m_hLibrary, "CreateRMenu", m_entries.pfnCreateRMenu);
    LookUp(m_hLibrary, "SetLpIGameSite", m_entries.pfnSetLpIGameSite);
    if (m_entries.IsComplete())
        return true;
    AfxMessageBox("加载菜单模块失败", MB_OK, 0);
    Release();
    return false;
}

void MenuModule::Release()
{
    if (m_hLibrary)
        FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
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
