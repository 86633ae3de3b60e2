// The stand-in game client: loads the plug-in from its own folder, as a client does
// at start, and reports what it gets back.
#include "config/DeviceConfig.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using LoadConfigFn = DeviceConfig*(__cdecl*)();

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void PrintRecord(const DeviceConfig& config)
{
    static const char* const kNames[] = {"fullscreen", "width", "height", "ddriver",
                                         "music", "bitDepth", "effect", "sound",
                                         "fps", "render", "opencount", "shownext"};
    const int32_t* fields = &config.fullscreen;
    printf("DeviceConfig:\n");
    for (int i = 0; i < 12; ++i)
        printf("  %-10s = %d\n", kNames[i], static_cast<int>(fields[i]));
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);

    std::string pluginPath = OwnFolder() + "ZRKTempDll.dll";
    printf("client: loading %s\n", pluginPath.c_str());
    HMODULE plugin = LoadLibraryA(pluginPath.c_str());
    if (!plugin) {
        printf("client: the plug-in did not load (error %lu)\n", GetLastError());
        WSACleanup();
        return 1;
    }
    auto loadConfig = reinterpret_cast<LoadConfigFn>(GetProcAddress(plugin, "LoadConfig"));
    if (loadConfig)
        PrintRecord(*loadConfig());
    FreeLibrary(plugin);
    WSACleanup();
    printf("client: done\n");
    return 0;
}
