// The application object of a framework library: the library entry point runs its
// InitInstance on process attach and its ExitInstance on detach.
#pragma once

#include <windows.h>

class CWinApp {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    const char* m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
// The module whose code runs: the library when set by its entry point, else the executable.
HINSTANCE AfxGetInstanceHandle();
void AfxSetInstanceHandle(HINSTANCE hInstance);
HINSTANCE AfxGetResourceHandle();

// Looks for a resource in the framework module first, then in the host executable.
HINSTANCE AfxFindResourceHandle(const char* pszName, const char* pszType);

// Shows a message box owned by the active window of this thread; returns the button.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
