// The plug-in's application object: its start-up brings up the client's component
// world while the client loads the library, its shutdown releases the component host.
#pragma once

#include "app/ComponentInterfaces.h"
#include "app/SpeakRecord.h"
#include "framework/CWinApp.h"

class CWnd;
class GameSite;
struct IGameSite;
struct DeviceConfig;

// Entry points of the menu module and the help library, all with the C convention.
using CreateRMenuObjectFn = void*(__cdecl*)(CWnd* pWnd);
using ReleaseRMenuWndFn = void(__cdecl*)(void* pMenu);
using AddNewMenuFn = void(__cdecl*)(void* pMenu);
using CreateRMenuFn = void(__cdecl*)(void* pMenu, int32_t nFirst, int32_t nSecond, int32_t, int32_t,
                                     int32_t, int32_t);
using SetLpIGameSiteFn = void(__cdecl*)(void* pMenu, IGameSite* pGameSite);
using GetGameZipPtrFn = CGameZip*(__cdecl*)();

class PluginApp : public CWinApp {
public:
    PluginApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The work of the exports.
    void TransferPointer(int32_t nValue, ICoreHost** ppCoreSlot);
    void CreateRPopupMenu(HWND hWnd);
    void OnRButton(int32_t nFirst, int32_t nSecond);
    HRESULT GetSpeakInfo(int32_t nFirst, int32_t nSecond, char** ppTextOut);

    HMODULE m_hMenuLibrary = nullptr;
    CreateRMenuObjectFn m_pfnCreateRMenuObject = nullptr;
    ReleaseRMenuWndFn m_pfnReleaseRMenuWnd = nullptr;
    AddNewMenuFn m_pfnAddNewMenu = nullptr;
    CreateRMenuFn m_pfnCreateRMenu = nullptr;
    SetLpIGameSiteFn m_pfnSetLpIGameSite = nullptr;
    void* m_pMenuObject = nullptr;
    HMODULE m_hHelpLibrary = nullptr;
    GetGameZipPtrFn m_pfnGetGameZipPtr = nullptr;
    CGameZip* m_pGameZip = nullptr;
    ICoreHost* m_pCoreHost = nullptr;
    HINSTANCE m_hCoreLibrary = nullptr;
    GameSite* m_pGameSite = nullptr;
    SpeakRecord m_speakRecord;

private:
    bool LoadCoreHost();
    void RegisterCCFunction();
    void LoadCoreModules();
};

PluginApp& ThePluginApp();

// The configuration window is shown when the record asks for it: opencount and
// shownext both non-zero.
bool ShouldShowConfigWindow(const DeviceConfig& config);
// Runs the configuration window on the record.
void RunConfigWindow(DeviceConfig& config);
// The configuration steps of start-up: the window when asked for, then opencount + 1.
void ApplyConfigWindowStep(DeviceConfig& config);
