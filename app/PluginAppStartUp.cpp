// The application object's start-up and shutdown, and the seam tests use in their place.
#include "app/PluginApp.h"

#include "app/ComponentFiles.h"
#include "app/ComponentLoader.h"
#include "app/ConfigWindowStep.h"
#include "app/ModuleDirectory.h"
#include "app/OutsideCall.h"
#include "config/DeviceConfig.h"
#include "messaging/CCFunction.h"
#include "messaging/GameSite.h"

#include <objbase.h>
#include <ocidl.h>

#include <new>

PluginApp::PluginApp() : CWinApp(nullptr) {}

// Destroyed also when the process ends, when no other library may be called: the core
// library is freed by ExitInstance only.
PluginApp::~PluginApp() { m_coreLibrary.Detach(); }

void PluginApp::UseCoreHost(ICoreHost* pCoreHost, HINSTANCE hCoreLibrary)
{
    m_pCoreHost = pCoreHost;
    m_coreLibrary = CLoadedLibrary(hCoreLibrary, CLoadedLibrary::Loader::Com);
}

BOOL PluginApp::InitInstance()
{
    LoadDeviceConfig();
    ApplyConfigWindowStep(TheDeviceConfig());
    const CString directory = ModuleDirectory();
    if (!LoadCoreHost(directory) || !LoadCoreModules(directory)) {
        AfxMessageBox("Load Core Error!", MB_OK, 0);
        return FALSE;
    }
    m_menuModule.Bind(directory);  // either may be missing: the exports then do nothing
    m_helpLibrary.Bind(directory);
    m_pGameSite = new (std::nothrow) GameSite();  // opens the "Client" queue; messaging is off without it
    return CWinApp::InitInstance();
}

// Without a full path the host counts as missing: a bare name would be looked up along
// the library search path, the current directory included.
bool PluginApp::LoadCoreHost(const CString& directory)
{
    char path[MAX_PATH];
    if (!FormatModulePath(path, directory, ComponentFiles::kCoreHost))
        return false;
    HINSTANCE hLibrary = LoadComponent(path, CLSID_CoreHost, IID_ICoreHost, reinterpret_cast<void**>(&m_pCoreHost));
    m_coreLibrary = CLoadedLibrary(hLibrary, CLoadedLibrary::Loader::Com);
    return m_coreLibrary && m_pCoreHost;
}

// The host takes its own reference on the plug-in's CCFunction object when it keeps it.
// An object that could not be made is not registered. False when the host faulted.
bool PluginApp::RegisterCCFunction()
{
    auto* pFactory =
        static_cast<IClassFactory2*>(TheCCFunctionFactory().GetInterface(&IID_IClassFactory2));
    IUnknown* pFunction = nullptr;
    if (pFactory)
        pFactory->CreateInstance(nullptr, IID_ICCFunction, reinterpret_cast<void**>(&pFunction));
    if (!pFunction)
        return true;
    ICoreHost* pHost = m_pCoreHost;
    bool completed = CallOutside([=] { pHost->lpVtbl->RegisterObject(pHost, IID_ICCFunction, pFunction, 1); });
    pFunction->Release();
    return completed;
}

// A path that does not fit the buffer leaves its component out, as if it were missing.
// A host that raises an exception here has failed: it is forgotten, not called again
// (shut down or released), and start-up fails as without a host.
bool PluginApp::LoadCoreModules(const CString& directory)
{
    char modulesPath[MAX_PATH];
    char encoderPath[MAX_PATH];
    char dataPath[MAX_PATH];
    bool modulesPathFits = FormatModulePath(modulesPath, directory, ComponentFiles::kModules);
    bool encoderPathFits = FormatModulePath(encoderPath, directory, ComponentFiles::kEncoder);
    bool dataPathFits = FormatModulePath(dataPath, directory, ComponentFiles::kMessageData);
    ICoreHost* pHost = m_pCoreHost;
    bool completed = RegisterCCFunction() && CallOutside([&] {
        if (modulesPathFits)
            pHost->lpVtbl->LoadModule(pHost, CLSID_ZRKModules, IID_IZRKModules, modulesPath, 0);
        if (encoderPathFits)
            pHost->lpVtbl->LoadModule(pHost, CLSID_ZRKEncoder, IID_IZRKEncoder, encoderPath, 0);
        IZRKEncoder* pEncoder = nullptr;
        pHost->lpVtbl->GetModule(pHost, IID_IZRKEncoder, reinterpret_cast<void**>(&pEncoder));
        if (pEncoder && dataPathFits)
            pEncoder->lpVtbl->LoadMessageData(pEncoder, dataPath);
    });
    if (!completed)
        m_pCoreHost = nullptr;
    return completed;
}

int PluginApp::ExitInstance()
{
    if (m_pCoreHost) {
        ICoreHost* pHost = m_pCoreHost;
        m_pCoreHost = nullptr;
        if (CallOutside([=] { pHost->lpVtbl->Shutdown(pHost); }))
            CallOutside([=] { pHost->lpVtbl->Release(pHost); });
    }
    m_coreLibrary.Free();
    return CWinApp::ExitInstance();
}
