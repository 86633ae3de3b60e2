// The display and sound settings read from devconfig.txt at start-up. The record is the
// one the kit's header gives the client, which reads it by position through LoadConfig,
// so its layout is fixed.
#pragma once

#include "app/ZRKTempDll.h"
#include "config/DeviceConfigKeys.h"
#include "framework/CString.h"

#include <cstddef>
#include <cstdint>

class ConfigScanner;

// The record's fields in row order, one int32_t each.
#define DEVICE_CONFIG_FIELD(field, defaultValue) &DeviceConfig::field,
inline constexpr int32_t DeviceConfig::*kDeviceConfigFields[] = {DEVICE_CONFIG_ROWS(DEVICE_CONFIG_FIELD)};
#undef DEVICE_CONFIG_FIELD

namespace device_config_layout {

#define DEVICE_CONFIG_OFFSET(field, defaultValue) offsetof(DeviceConfig, field),
constexpr size_t kOffsets[] = {DEVICE_CONFIG_ROWS(DEVICE_CONFIG_OFFSET)};
#undef DEVICE_CONFIG_OFFSET

constexpr bool RowsFollowTheRecord()
{
    for (size_t i = 0; i < sizeof kOffsets / sizeof kOffsets[0]; ++i)
        if (kOffsets[i] != i * sizeof(int32_t))
            return false;
    return true;
}

}  // namespace device_config_layout

static_assert(sizeof(DeviceConfig) == sizeof device_config_layout::kOffsets / sizeof(size_t) * sizeof(int32_t),
              "every field of DeviceConfig needs its row in DEVICE_CONFIG_ROWS");
static_assert(device_config_layout::RowsFollowTheRecord(), "DEVICE_CONFIG_ROWS follows the record's order");

// The value of `render`; None after the skinned window was confirmed with no mode.
enum class RenderMode : int32_t { None = -1, Auto = 0, Direct3D = 1, OpenGL = 2, Software = 3 };

// The process-wide record; all zero until LoadDeviceConfig runs.
DeviceConfig& TheDeviceConfig();

// Fills the record from devconfig.txt in the current directory, in one pass.
void LoadDeviceConfig();

// devconfig.txt in the current directory, as start-up reads it; "/devconfig.txt" when
// the directory is unknown or longer than MAX_PATH.
CString DeviceConfigPath();

// Streams the file at path through the scanner and finishes it. False when the file
// cannot be opened; a read error ends the scan where it happened (the line it cut
// counts for nothing).
bool ScanConfigFile(const char* path, ConfigScanner& scanner);

// The record that the scanner's device keys describe, in record order.
DeviceConfig DeviceConfigFrom(const ConfigScanner& scanner);

// The value of the first line of the file at path that contains key (any case), or
// defaultValue when the file cannot be read or has no such line.
int ReadConfigValue(CString key, int defaultValue, CString path);
