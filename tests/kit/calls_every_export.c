/* An object a Visual Studio team's linker sees: compiled in MSVC mode from the kit's
   header alone, it calls each export and needs nothing else. */
#include <ZRKTempDll.h>

int __cdecl mainCRTStartup(void)
{
    void* core = 0;
    char buffer[256];
    char* text = buffer;
    TransferPointer(0, &core);
    CreateRPopupMenu(0);
    OnRButton(0, 0);
    return (int)GetSpeakInfo(0, 0, &text) + LoadConfig()->width;
}
