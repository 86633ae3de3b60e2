#include "app/PluginApp.h"

#include "config/DeviceConfig.h"

PluginApp::PluginApp() : CWinApp(nullptr) {}

BOOL PluginApp::InitInstance()
{
    LoadDeviceConfig();
    DeviceConfig& config = TheDeviceConfig();
    config.opencount += 1;  // in memory only: devconfig.txt is never written
    return CWinApp::InitInstance();
}

int PluginApp::ExitInstance() { return CWinApp::ExitInstance(); }
