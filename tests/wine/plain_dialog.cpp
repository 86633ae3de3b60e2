// Opens the plug-in's plain configuration dialog on devconfig.txt of the current
// directory, as a caller would, and prints where its client area shows and what it ends
// with; the real-input test operates it through the X server. The dialog's template is
// linked in.
#include "config/ConfigDialog.h"
#include "config/DeviceConfig.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

BOOL CALLBACK FindShownDialog(HWND hWnd, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(hWnd, name, sizeof name);
    if (strcmp(name, "#32770") || !IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hWnd;
    return FALSE;
}

// Prints the screen position of the dialog's client area once it shows: Wine draws the
// caption and frame inside the window's X window, whose size depends on the theme.
DWORD WINAPI ReportClientArea(void* mainThread)
{
    const DWORD threadId = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mainThread));
    for (int tries = 0; tries < 1500; ++tries, Sleep(10)) {
        HWND hDialog = nullptr;
        EnumThreadWindows(threadId, &FindShownDialog, reinterpret_cast<LPARAM>(&hDialog));
        POINT origin = {0, 0};
        if (hDialog && ClientToScreen(hDialog, &origin)) {
            printf("client area at %ld,%ld\n", static_cast<long>(origin.x), static_cast<long>(origin.y));
            return 0;
        }
    }
    return 1;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    LoadDeviceConfig();
    const DeviceConfig& config = TheDeviceConfig();
    ConfigDialog dialog;
    dialog.m_nOpenCount = config.opencount;
    dialog.m_bFullScreen = config.fullscreen > 0;
    dialog.m_bDontShowAgain = config.shownext == 0;
    dialog.m_nRenderMode = config.render;
    const auto mainThread = reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId()));
    CloseHandle(CreateThread(nullptr, 0, &ReportClientArea, mainThread, 0, nullptr));
    const INT_PTR nResult = dialog.DoModal();
    printf("config dialog ended with %d: fullscreen=%d render=%d dontshow=%d\n", static_cast<int>(nResult),
           dialog.m_bFullScreen, dialog.m_nRenderMode, dialog.m_bDontShowAgain);
    return nResult == IDOK ? 0 : 1;
}
