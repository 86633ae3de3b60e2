/* A client in C as a Visual Studio team builds it: the kit's header alone, each
   export imported through lib/ZRKTempDll.lib. */
#include "KitExports.h"

int main(void)
{
    const KitExports exports = {TransferPointer, CreateRPopupMenu, OnRButton, GetSpeakInfo,
                                LoadConfig};
    RunKitExports(&exports);
    return 0;
}
