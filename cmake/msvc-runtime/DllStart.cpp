// The entry point of an MSVC-ABI DLL: static constructors before DllMain sees the attach,
// static destructors after it has seen the detach. An image without a DllMain gets
// DefaultDllMain (the linker's /alternatename).
#include <windows.h>

#include "Runtime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved);

extern "C" BOOL WINAPI DefaultDllMain(HINSTANCE, DWORD, void*)
{
    return TRUE;
}

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        RunStaticConstructors();
    BOOL result = DllMain(instance, reason, reserved);
    if (reason == DLL_PROCESS_DETACH || (reason == DLL_PROCESS_ATTACH && !result))
        RunExitFunctions();
    return result;
}
