// The functions the client calls: undecorated names, C calling convention (see the
// .def file).
#include "config/DeviceConfig.h"

extern "C" DeviceConfig* __cdecl LoadConfig() { return &TheDeviceConfig(); }
