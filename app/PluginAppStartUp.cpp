// The application object's start-up and shutdown, and the seam tests use in their place.
#include "app/PluginApp.h"

#include "app/ComponentLoader.h"
#include "app/ConfigWindowStep.h"
#include "app/ModuleDirectory.h"
#include "config/DeviceConfig.h"
#include "messaging/CCFunction.h"
#include "messaging/GameSite.h"

#include <objbase.h>
#include <ocidl.h>

PluginApp::PluginApp() : CWinApp(nullptr) {}

void PluginApp::UseCoreHost(ICoreHost* pCoreHost, HINSTANCE hCoreLibrary)
{
    m_pCoreHost = pCoreHost;
    m_hCoreLibrary = hCoreLibrary;
}

BOOL PluginApp::InitInstance()
{
    LoadDeviceConfig();
    ApplyConfigWindowStep(TheDeviceConfig());
    const CString directory = ModuleDirectory();
    if (!LoadCoreHost(directory)) {
        AfxMessageBox("Load Core Error!", MB_OK, 0);
        return FALSE;
    }
    LoadCoreModules(directory);
    m_menuModule.Bind(directory);  // either may be missing: the exports then do nothing
    m_helpLibrary.Bind(directory);
    m_pGameSite = new GameSite();  // opens the "Client" queue
    return CWinApp::InitInstance();
}

// Without a full path the host counts as missing: a bare name would be looked up along
// the library search path, the current directory included.
bool PluginApp::LoadCoreHost(const CString& directory)
{
    char path[MAX_PATH];
    if (!FormatModulePath(path, directory, "Vantri.dll"))
        return false;
    m_hCoreLibrary = LoadComponent(path, CLSID_CoreHost, IID_ICoreHost,
                                     reinterpret_cast<void**>(&m_pCoreHost));
    return m_hCoreLibrary && m_pCoreHost;
}

// The host takes its own reference on the plug-in's CCFunction object when it keeps it.
// An object that could not be made is not registered.
void PluginApp::RegisterCCFunction()
{
    auto* pFactory =
        static_cast<IClassFactory2*>(TheCCFunctionFactory().GetInterface(&IID_IClassFactory2));
    IUnknown* pFunction = nullptr;
    if (pFactory)
        pFactory->CreateInstance(nullptr, IID_ICCFunction, reinterpret_cast<void**>(&pFunction));
    if (!pFunction)
        return;
    m_pCoreHost->lpVtbl->RegisterObject(m_pCoreHost, IID_ICCFunction, pFunction, 1);
    pFunction->Release();
}

// A path that does not fit the buffer leaves its component out, as if it were missing.
void PluginApp::LoadCoreModules(const CString& directory)
{
    char path[MAX_PATH];
    bool modulesPathFits = FormatModulePath(path, directory, "ZRKModules.dll");
    RegisterCCFunction();
    if (modulesPathFits)
        m_pCoreHost->lpVtbl->LoadModule(m_pCoreHost, CLSID_ZRKModules, IID_IZRKModules, path, 0);
    if (FormatModulePath(path, directory, "ZRKEncoder.dll"))
        m_pCoreHost->lpVtbl->LoadModule(m_pCoreHost, CLSID_ZRKEncoder, IID_IZRKEncoder, path, 0);
    IZRKEncoder* pEncoder = nullptr;
    m_pCoreHost->lpVtbl->GetModule(m_pCoreHost, IID_IZRKEncoder, reinterpret_cast<void**>(&pEncoder));
    if (pEncoder && FormatModulePath(path, directory, "ZRKMsgData.bin"))
        pEncoder->lpVtbl->LoadMessageData(pEncoder, path);
}

int PluginApp::ExitInstance()
{
    if (m_pCoreHost) {
        m_pCoreHost->lpVtbl->Shutdown(m_pCoreHost);
        m_pCoreHost->lpVtbl->Release(m_pCoreHost);
        m_pCoreHost = nullptr;
    }
    if (m_hCoreLibrary) {
        CoFreeLibrary(m_hCoreLibrary);
        m_hCoreLibrary = nullptr;
    }
    return CWinApp::ExitInstance();
}
