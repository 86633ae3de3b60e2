// Entry point of a framework library: start-up runs inside the attach notification,
// and a failed start-up is shut down again and fails the load. Shutdown runs on an
// explicit FreeLibrary only: at process termination (pProcessEnds non-null) the process's
// other threads are gone and the libraries this one loaded may have been detached
// already, so nothing is cleaned up and no other library is called. A library freed
// before the process ends also gives back the static C++ runtime's emergency exception
// pool, which the runtime itself never frees.
#include "framework/CWinApp.h"

namespace __gnu_cxx {
void __freeres();  // the static runtime's: frees the emergency exception pool
}

#ifdef __i386__
// 32-bit images register their unwind tables at load (app/UnwindTableStart.c).
extern "C" void CloseUnwinderSemaphoreIfUnqueued();
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pProcessEnds)
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
        if (pProcessEnds)
            return TRUE;
        if (app) {
            try {
                app->ExitInstance();
            } catch (...) {
            }
        }
        __gnu_cxx::__freeres();
#ifdef __i386__
        CloseUnwinderSemaphoreIfUnqueued();
#endif
        return TRUE;
    default:
        return TRUE;
    }
}
