// The device record's one table: each row names a field of DeviceConfig (app/ZRKTempDll.h),
// which is also its devconfig.txt key, and the value it takes when no line sets it. Rows
// stand in record order. The scanner takes the keys from it, the record and the doctor
// the fields: a row whose field the record lacks does not compile, and neither does a
// record field without its row (see DeviceConfig.h).
#pragma once

#define DEVICE_CONFIG_ROWS(ROW) \
    ROW(fullscreen, 1)          \
    ROW(width, 800)             \
    ROW(height, 600)            \
    ROW(ddriver, 0)             \
    ROW(music, 1)               \
    ROW(bitDepth, 16)           \
    ROW(effect, 1)              \
    ROW(sound, 1)               \
    ROW(fps, 1)                 \
    ROW(render, 0)              \
    ROW(opencount, 0)           \
    ROW(shownext, 1)
