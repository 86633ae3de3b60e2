// The display and sound settings read from devconfig.txt at start-up. The record is the
// one the kit's header gives the client, which reads it by position through LoadConfig,
// so its layout is fixed.
#pragma once

#include "app/ZRKTempDll.h"
#include "framework/CString.h"

#include <cstddef>
#include <cstdint>

class ConfigScanner;

static_assert(sizeof(DeviceConfig) == 48, "twelve int32 fields, no padding");
static_assert(offsetof(DeviceConfig, fullscreen) == 0, "record order");
static_assert(offsetof(DeviceConfig, width) == 4, "record order");
static_assert(offsetof(DeviceConfig, height) == 8, "record order");
static_assert(offsetof(DeviceConfig, ddriver) == 12, "record order");
static_assert(offsetof(DeviceConfig, music) == 16, "record order");
static_assert(offsetof(DeviceConfig, bitDepth) == 20, "record order");
static_assert(offsetof(DeviceConfig, effect) == 24, "record order");
static_assert(offsetof(DeviceConfig, sound) == 28, "record order");
static_assert(offsetof(DeviceConfig, fps) == 32, "record order");
static_assert(offsetof(DeviceConfig, render) == 36, "record order");
static_assert(offsetof(DeviceConfig, opencount) == 40, "record order");
static_assert(offsetof(DeviceConfig, shownext) == 44, "record order");

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

// The record that the scanner's twelve device keys describe, in record order.
DeviceConfig DeviceConfigFrom(const ConfigScanner& scanner);

// The value of the first line of the file at path that contains key (any case), or
// defaultValue when the file cannot be read or has no such line.
int ReadConfigValue(CString key, int defaultValue, CString path);
