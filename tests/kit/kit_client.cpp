// A client in C++ as a Visual Studio team builds it: the kit's header alone, each
// export called through lib/ZRKTempDll.lib. Prints what each returned.
#include <ZRKTempDll.h>

#include <stdio.h>

namespace {

void Report(const char* name, const char* result) { printf("%s: %s\n", name, result); }

}  // namespace

int main()
{
    void* core = nullptr;
    static char text[4096] = "untouched";
    char* textOut = text;

    TransferPointer(7, &core);
    Report("TransferPointer", core ? "core host set" : "core host null");
    CreateRPopupMenu(nullptr);
    Report("CreateRPopupMenu", "returned");
    OnRButton(0, 0);
    Report("OnRButton", "returned");
    const HRESULT speak = GetSpeakInfo(0, 0, &textOut);
    printf("GetSpeakInfo: 0x%08lx \"%s\"\n", static_cast<unsigned long>(speak), text);
    const DeviceConfig& config = *LoadConfig();
    printf("LoadConfig: width=%d height=%d opencount=%d same-address=%d\n", int(config.width),
           int(config.height), int(config.opencount), &config == LoadConfig());
    return 0;
}
