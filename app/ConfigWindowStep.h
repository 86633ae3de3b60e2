// The configuration window step of start-up: whether the record asks for the skinned
// window, running it on the record, and the step as start-up takes it.
#pragma once

struct DeviceConfig;

// The configuration window is shown when the record asks for it: opencount and
// shownext both non-zero.
bool ShouldShowConfigWindow(const DeviceConfig& config);
// Runs the configuration window on the record.
void RunConfigWindow(DeviceConfig& config);
// The configuration steps of start-up: the window when asked for, then opencount + 1.
void ApplyConfigWindowStep(DeviceConfig& config);
