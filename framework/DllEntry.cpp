// Entry point of a framework library: start-up runs inside the attach notification,
// and a failed start-up is shut down again and fails the load.
#include "framework/CWinApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    CWinApp* app = AfxGetApp();
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        AfxSetInstanceHandle(hInstance);
        if (!app)
            return TRUE;
        app->m_hInstance = hInstance;
        try {
            if (app->InitInstance())
                return TRUE;
        } catch (...) {
        }
        app->ExitInstance();
        return FALSE;
    case DLL_PROCESS_DETACH:
        if (app) {
            try {
                app->ExitInstance();
            } catch (...) {
            }
        }
        return TRUE;
    default:
        return TRUE;
    }
}
