/* A client in C that loads the plug-in at run time: LoadLibrary, every export looked
   up by its plain name with GetProcAddress, FreeLibrary at the end. */
#include "KitExports.h"

#include <stdio.h>

int main(void)
{
    HMODULE plugin = LoadLibraryA("ZRKTempDll.dll");
    KitExports exports;

    if (!plugin) {
        printf("LoadLibrary: failed, error %lu\n", GetLastError());
        return 1;
    }
    exports.transferPointer =
        (void(__cdecl*)(int32_t, void**))GetProcAddress(plugin, "TransferPointer");
    exports.createRPopupMenu = (void(__cdecl*)(HWND))GetProcAddress(plugin, "CreateRPopupMenu");
    exports.onRButton = (void(__cdecl*)(int32_t, int32_t))GetProcAddress(plugin, "OnRButton");
    exports.getSpeakInfo =
        (HRESULT(__cdecl*)(int32_t, int32_t, char**))GetProcAddress(plugin, "GetSpeakInfo");
    exports.loadConfig = (DeviceConfig*(__cdecl*)(void))GetProcAddress(plugin, "LoadConfig");
    if (!exports.transferPointer || !exports.createRPopupMenu || !exports.onRButton ||
        !exports.getSpeakInfo || !exports.loadConfig) {
        printf("GetProcAddress: an export is missing\n");
        return 1;
    }
    printf("LoadLibrary: loaded\n");
    RunKitExports(&exports);
    printf("FreeLibrary: %s\n", FreeLibrary(plugin) ? "done" : "failed");
    return 0;
}
