// The system's interface identifiers the stand-ins use, which a Microsoft-built program
// gets from the SDK's uuid.lib.
#include <windows.h>
#include <unknwn.h>

extern "C" const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
extern "C" const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
