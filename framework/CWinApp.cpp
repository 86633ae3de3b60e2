#include "framework/CWinApp.h"

#include <cstring>

namespace {

CWinApp* g_pApp = nullptr;
HINSTANCE g_hInstance = nullptr;

}  // namespace

CWinApp::CWinApp(const char* pszAppName) : m_pszAppName(pszAppName) { g_pApp = this; }

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetInstanceHandle() { return g_hInstance ? g_hInstance : GetModuleHandleA(nullptr); }

void AfxSetInstanceHandle(HINSTANCE hInstance) { g_hInstance = hInstance; }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

HINSTANCE AfxFindResourceHandle(const char* pszName, const char* pszType)
{
    HINSTANCE own = AfxGetResourceHandle();
    if (FindResourceA(own, pszName, pszType))
        return own;
    HINSTANCE host = GetModuleHandleA(nullptr);
    if (host != own && FindResourceA(host, pszName, pszType))
        return host;
    return own;
}

// The title of message boxes: the application name, else the module's file name
// without its extension.
static void GetMessageBoxTitle(char (&title)[MAX_PATH])
{
    title[0] = '\0';
    if (g_pApp && g_pApp->m_pszAppName) {
        lstrcpynA(title, g_pApp->m_pszAppName, MAX_PATH);
        return;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(AfxGetInstanceHandle(), path, MAX_PATH - 1);
    const char* name = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/')
            name = p + 1;
    lstrcpynA(title, name, MAX_PATH);
    char* dot = strrchr(title, '.');
    if (dot)
        *dot = '\0';
}

int AfxMessageBox(const char* pszText, UINT nType, UINT nIDHelp)
{
    (void)nIDHelp;  // no help file
    char title[MAX_PATH];
    GetMessageBoxTitle(title);
    return MessageBoxA(GetActiveWindow(), pszText, title, nType);
}
