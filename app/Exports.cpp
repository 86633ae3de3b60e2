// The functions the client calls: undecorated names, C calling convention (see the
// .def file). No exception may leave them: the client is not C++. The kit's header
// declares them, so the compiler holds these definitions to the client's prototypes.
#define ZRKTEMPDLL_API
#include "app/ZRKTempDll.h"

#include "app/PluginApp.h"
#include "config/DeviceConfig.h"

extern "C" {

// The client's slot is an untyped pointer: it receives the host's interface pointer.
void __cdecl TransferPointer(int32_t nValue, void** ppCoreSlot)
{
    try {
        ThePluginApp().TransferPointer(nValue, reinterpret_cast<ICoreHost**>(ppCoreSlot));
    } catch (...) {
    }
}

void __cdecl CreateRPopupMenu(HWND hWnd)
{
    try {
        ThePluginApp().CreateRPopupMenu(hWnd);
    } catch (...) {
    }
}

void __cdecl OnRButton(int32_t nFirst, int32_t nSecond)
{
    try {
        ThePluginApp().OnRButton(nFirst, nSecond);
    } catch (...) {
    }
}

HRESULT __cdecl GetSpeakInfo(int32_t nFirst, int32_t nSecond, char** ppTextOut)
{
    try {
        return ThePluginApp().GetSpeakInfo(nFirst, nSecond, ppTextOut);
    } catch (...) {
        return E_FAIL;
    }
}

DeviceConfig* __cdecl LoadConfig() { return &TheDeviceConfig(); }

}  // extern "C"
