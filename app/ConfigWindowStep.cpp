#include "app/ConfigWindowStep.h"

#include "config/DeviceConfig.h"
#include "config/SkinConfigDialog.h"

#include <cstdint>

bool ShouldShowConfigWindow(const DeviceConfig& config)
{
    return config.opencount != 0 && config.shownext != 0;
}

// The skinned window fed from the record, and its choices written back into the record
// when it ends with OK.
void RunConfigWindow(DeviceConfig& config)
{
    SkinConfigDialog dialog(nullptr);
    dialog.SetRenderMode(config.render);
    dialog.SetFullScreen(config.fullscreen > 0);
    dialog.SetDontShowAgain(FALSE);
    dialog.SetAllowDontShow(config.opencount > 1);
    if (dialog.DoModal() != IDOK)
        return;  // no window, or not confirmed: the record keeps its values
    config.render = dialog.GetRenderMode();  // -1 when confirmed with no mode checked
    config.fullscreen = dialog.GetFullScreen() ? 1 : 0;
    config.shownext = dialog.GetDontShowAgain() ? 0 : 1;
}

void ApplyConfigWindowStep(DeviceConfig& config)
{
    if (ShouldShowConfigWindow(config))
        RunConfigWindow(config);
    if (config.opencount < INT32_MAX)
        config.opencount += 1;  // in memory only: devconfig.txt is never written
}
