/* A client written in C against the integration kit alone: its header and its import
   library. Prints the settings record the plug-in hands back. */
#include <ZRKTempDll.h>

#include <stdio.h>

int main(void)
{
    const DeviceConfig* config = LoadConfig();
    printf("kit client: width=%d height=%d opencount=%d same-address=%d\n", config->width,
           config->height, config->opencount, config == LoadConfig());
    return 0;
}
