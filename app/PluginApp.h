// The plug-in's application object: its start-up brings up the client's component
// world while the client loads the library, its shutdown releases the component host.
#pragma once

#include "app/ComponentInterfaces.h"
#include "app/HelpLibrary.h"
#include "app/MenuModule.h"
#include "app/SpeakRecord.h"
#include "framework/CWinApp.h"
#include "framework/LoadedLibrary.h"

class GameSite;

class PluginApp : public CWinApp {
public:
    PluginApp();
    ~PluginApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The work of the exports.
    void TransferPointer(int32_t nValue, ICoreHost** ppCoreSlot);
    void CreateRPopupMenu(HWND hWnd);
    void OnRButton(int32_t nFirst, int32_t nSecond);
    HRESULT GetSpeakInfo(int32_t nFirst, int32_t nSecond, char** ppTextOut);

    // Test seam: the components as start-up would have found them, and what the
    // exports made of them.
    void UseCoreHost(ICoreHost* pCoreHost, HINSTANCE hCoreLibrary);
    void UseMenuModule(const MenuModule& menuModule) { m_menuModule = menuModule; }
    void UseHelpLibrary(const HelpLibrary& helpLibrary) { m_helpLibrary = helpLibrary; }
    ICoreHost* CoreHost() const { return m_pCoreHost; }
    HINSTANCE CoreLibrary() const { return m_coreLibrary.Get(); }
    void* MenuObject() const { return m_pMenuObject; }

private:
    // directory: the executable's folder, where the components are looked for.
    bool LoadCoreHost(const CString& directory);
    bool RegisterCCFunction();
    bool LoadCoreModules(const CString& directory);

    // Shut down, released and freed by ExitInstance.
    ICoreHost* m_pCoreHost = nullptr;
    CLoadedLibrary m_coreLibrary;
    // Everything below outlives ExitInstance and stays until the process ends: the menu
    // module keeps using its menu object and the GameSite, and the archive belongs to the
    // help library. The GameSite is made once by start-up and never deleted, so its
    // queue stays open as long as the client runs.
    MenuModule m_menuModule;
    HelpLibrary m_helpLibrary;
    void* m_pMenuObject = nullptr;  // the last one CreateRPopupMenu made
    GameSite* m_pGameSite = nullptr;
    SpeakRecord m_speakRecord;  // the record GetSpeakInfo hands the archive, call after call
};

PluginApp& ThePluginApp();
