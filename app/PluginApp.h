// The plug-in's application object: its start-up runs while the client loads the
// library, its shutdown when the library is detached.
#pragma once

#include "framework/CWinApp.h"

class PluginApp : public CWinApp {
public:
    PluginApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
};

PluginApp& ThePluginApp();
