// Opens the plug-in's plain configuration dialog on devconfig.txt of the current
// directory, as a caller would, and prints what it ends with; the real-input test
// operates it through the X server. The dialog's template is linked in.
#include "config/ConfigDialog.h"
#include "config/DeviceConfig.h"

#include <cstdio>

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    LoadDeviceConfig();
    const DeviceConfig& config = TheDeviceConfig();
    ConfigDialog dialog;
    dialog.m_nOpenCount = config.opencount;
    dialog.m_bFullScreen = config.fullscreen > 0;
    dialog.m_bDontShowAgain = config.shownext == 0;
    dialog.m_nRenderMode = config.render;
    const INT_PTR nResult = dialog.DoModal();
    printf("config dialog ended with %d: fullscreen=%d render=%d dontshow=%d\n", static_cast<int>(nResult),
           dialog.m_bFullScreen, dialog.m_nRenderMode, dialog.m_bDontShowAgain);
    return nResult == IDOK ? 0 : 1;
}
