// The configuration window step of start-up.
#include "app/PluginApp.h"

#include "config/DeviceConfig.h"

// The skinned configuration window is not built yet: the record keeps its values.
void RunConfigWindow(DeviceConfig&) {}
