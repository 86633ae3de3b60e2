// Entry point of a framework library: start-up runs inside the attach notification,
// and a failed start-up is shut down again and fails the load. Shutdown runs on an
// explicit FreeLibrary only: at process termination (reserved non-null) the process's
// other threads are gone and the libraries this one loaded may have been detached
// already, so nothing is cleaned up and no other library is called.
#include "framework/CWinApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
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
        if (app && !pReserved) {
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
