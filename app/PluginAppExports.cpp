// What the five exports do with the application object's state.
#include "app/PluginApp.h"

#include "app/OutsideCall.h"
#include "framework/CPeerWnd.h"
#include "messaging/GameSite.h"

void PluginApp::TransferPointer(int32_t nValue, ICoreHost** ppCoreSlot)
{
    if (!ppCoreSlot)
        return;
    *ppCoreSlot = m_pCoreHost;  // no reference is added for the client
    if (!m_pCoreHost)
        return;
    ICoreHost* pHost = m_pCoreHost;
    CallOutside([=] {
        IZRKModules* pModules = nullptr;
        pHost->lpVtbl->GetModule(pHost, IID_IZRKModules, reinterpret_cast<void**>(&pModules));
        if (pModules)
            pModules->lpVtbl->TransferValue(pModules, nValue);
    });
}

// Each call makes a new window object and a new menu object; neither is freed here,
// since the menu module may keep using them.
void PluginApp::CreateRPopupMenu(HWND hWnd)
{
    if (!m_menuModule.IsBound())
        return;
    CPeerWnd* pWnd = CPeerWnd::Create(hWnd);
    if (pWnd)
        m_pMenuObject = m_menuModule.CreateRMenuObject(pWnd);
}

void PluginApp::OnRButton(int32_t nFirst, int32_t nSecond)
{
    m_menuModule.SetLpIGameSite(m_pMenuObject, static_cast<IGameSite*>(m_pGameSite));
    m_menuModule.CreateRMenu(m_pMenuObject, nFirst, nSecond);
}

HRESULT PluginApp::GetSpeakInfo(int32_t nFirst, int32_t nSecond, char** ppTextOut)
{
    CGameZip* pGameZip = m_helpLibrary.GameZip();
    if (!pGameZip || !ppTextOut || !*ppTextOut)
        return E_FAIL;
    return m_speakRecord.Fetch(pGameZip, nFirst, nSecond, *ppTextOut) ? S_OK : E_FAIL;
}
