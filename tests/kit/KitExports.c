#include "KitExports.h"

#include <stdio.h>

void RunKitExports(const KitExports* exports)
{
    void* core = 0;
    static char text[4096] = "untouched";
    char* textOut = text;
    const DeviceConfig* config;
    HRESULT speak;

    exports->transferPointer(7, &core);
    printf("TransferPointer: core host %s\n", core ? "set" : "null");
    exports->createRPopupMenu(NULL);
    printf("CreateRPopupMenu: returned\n");
    exports->onRButton(0, 0);
    printf("OnRButton: returned\n");
    speak = exports->getSpeakInfo(0, 0, &textOut);
    printf("GetSpeakInfo: 0x%08lx \"%s\"\n", (unsigned long)speak, text);
    config = exports->loadConfig();
    printf("LoadConfig: width=%d height=%d opencount=%d same-address=%d\n", (int)config->width,
           (int)config->height, (int)config->opencount, config == exports->loadConfig());
}
