// The stand-in game client: loads the plug-in from its own folder, as a client does at
// start, calls every export and shows a window whose right click brings up the menu.
// With --script it runs the same steps headless and exits.
// It knows the plug-in only as a client does: the kit's header and the exports. Built by
// the Microsoft compiler like the real client, it checks the stack pointer around every
// export call, as that compiler's run-time checks do.
//   client.exe [--script] [--pick N] [--speak N] [--exit-process]
//   --pick N   in the scripted right click, choose the menu's item N (default 0: cancel)
//   --speak N  fetch loudspeaker messages 0 to N-1 (default 5)
//   --exit-process  end with ExitProcess, the plug-in still loaded, as most games end
#include "client/DialogWatcher.h"
#include "client/StackCheck.h"
#include "config/DeviceConfigKeys.h"

#include <winsock2.h>
#include <windows.h>

#include <ZRKTempDll.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

using LoadConfigFn = DeviceConfig*(__cdecl*)();
using TransferPointerFn = void(__cdecl*)(int32_t, void**);
using CreateRPopupMenuFn = void(__cdecl*)(HWND);
using OnRButtonFn = void(__cdecl*)(int32_t, int32_t);
using GetSpeakInfoFn = HRESULT(__cdecl*)(int32_t, int32_t, char**);

struct Options {
    bool bScript = false;
    int nPick = 0;
    int nSpeak = 5;
    bool bExitProcess = false;
};

struct PlugIn {
    HMODULE hModule = nullptr;
    LoadConfigFn loadConfig = nullptr;
    TransferPointerFn transferPointer = nullptr;
    CreateRPopupMenuFn createRPopupMenu = nullptr;
    OnRButtonFn onRButton = nullptr;
    GetSpeakInfoFn getSpeakInfo = nullptr;
};

PlugIn g_plugIn;

void CheckStack(const char* pszExport, uintptr_t before)
{
    if (StackPointer() != before)
        printf("client: the stack moved across %s\n", pszExport);
}

// Runs one export call (a statement) between two readings of the stack pointer.
#define CHECKED_CALL(name, call)              \
    do {                                      \
        uintptr_t stackBefore = StackPointer(); \
        call;                                 \
        CheckStack(name, stackBefore);        \
    } while (0)

template <typename Fn>
void LookUp(HMODULE hModule, const char* pszName, Fn& pfn)
{
    pfn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
    if (!pfn)
        printf("client: the plug-in lacks %s\n", pszName);
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--script"))
            options.bScript = true;
        else if (!strcmp(argv[i], "--pick") && i + 1 < argc)
            options.nPick = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--speak") && i + 1 < argc)
            options.nSpeak = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--exit-process"))
            options.bExitProcess = true;
    }
    return options;
}

void GetOwnFolder(char (&folder)[MAX_PATH])
{
    folder[0] = '\0';
    GetModuleFileNameA(nullptr, folder, MAX_PATH - 1);
    folder[MAX_PATH - 1] = '\0';
    char* pSlash = strrchr(folder, '\\');
    if (pSlash)
        pSlash[1] = '\0';
}

void PrintRecord(const DeviceConfig& config)
{
#define DEVICE_CONFIG_PRINT(field, defaultValue) printf("  %-10s = %d\n", #field, static_cast<int>(config.field));
    printf("DeviceConfig:\n");
    DEVICE_CONFIG_ROWS(DEVICE_CONFIG_PRINT)
#undef DEVICE_CONFIG_PRINT
}

// The text's bytes in hexadecimal, as many as fit.
void FormatHexBytes(const char* pszText, char* pszHex, size_t nHex)
{
    static const char kDigits[] = "0123456789abcdef";
    size_t n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText); *p && n + 2 < nHex; ++p) {
        pszHex[n++] = kDigits[*p >> 4];
        pszHex[n++] = kDigits[*p & 15];
    }
    pszHex[n] = '\0';
}

void PrintSpeakTexts(int nCount)
{
    for (int i = 0; i < nCount; ++i) {
        char buffer[4096] = "untouched";
        char* pBuffer = buffer;
        HRESULT hr = E_FAIL;
        CHECKED_CALL("GetSpeakInfo", hr = g_plugIn.getSpeakInfo(i, 0, &pBuffer));
        char hex[2 * sizeof buffer + 1];
        FormatHexBytes(buffer, hex, sizeof hex);
        printf("speak[%d]: hr=0x%08lx text=%s bytes=%s\n", i, static_cast<unsigned long>(hr),
               Utf8FromGbk(buffer).c_str(), hex);
    }
}

LRESULT CALLBACK ClientWindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
    case WM_RBUTTONUP:
        printf("client: right click at %d,%d\n", static_cast<short>(LOWORD(lParam)),
               static_cast<short>(HIWORD(lParam)));
        CHECKED_CALL("CreateRPopupMenu", g_plugIn.createRPopupMenu(hWnd));
        CHECKED_CALL("OnRButton", g_plugIn.onRButton(static_cast<short>(LOWORD(lParam)),
                                                     static_cast<short>(HIWORD(lParam))));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, nMessage, wParam, lParam);
    }
}

HWND CreateClientWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ClientWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "ZRKStandInClient";
    RegisterClassA(&windowClass);
    HWND hWnd = CreateWindowExA(0, windowClass.lpszClassName, "游戏客户端 (右键单击打开菜单)",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 480, 320, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    return hWnd;
}

bool LoadPlugIn()
{
    // By bare name: the system finds it in the client's own folder first.
    char folder[MAX_PATH];
    GetOwnFolder(folder);
    printf("client: loading ZRKTempDll.dll from %s\n", folder);
    DWORD start = GetTickCount();
    g_plugIn.hModule = LoadLibraryA("ZRKTempDll.dll");
    printf("client: the load returned after %lu ms\n", GetTickCount() - start);
    if (!g_plugIn.hModule) {
        printf("client: the plug-in did not load (error %lu)\n", GetLastError());
        return false;
    }
    LookUp(g_plugIn.hModule, "LoadConfig", g_plugIn.loadConfig);
    LookUp(g_plugIn.hModule, "TransferPointer", g_plugIn.transferPointer);
    LookUp(g_plugIn.hModule, "CreateRPopupMenu", g_plugIn.createRPopupMenu);
    LookUp(g_plugIn.hModule, "OnRButton", g_plugIn.onRButton);
    LookUp(g_plugIn.hModule, "GetSpeakInfo", g_plugIn.getSpeakInfo);
    return g_plugIn.loadConfig && g_plugIn.transferPointer && g_plugIn.createRPopupMenu &&
           g_plugIn.onRButton && g_plugIn.getSpeakInfo;
}

void CallExports(const Options& options)
{
    DeviceConfig* pConfig = nullptr;
    CHECKED_CALL("LoadConfig", pConfig = g_plugIn.loadConfig());
    PrintRecord(*pConfig);
    void* pCoreHost = reinterpret_cast<void*>(1);
    CHECKED_CALL("TransferPointer", g_plugIn.transferPointer(20041009, &pCoreHost));
    printf("client: TransferPointer gave %s\n", pCoreHost ? "the component host" : "null");
    PrintSpeakTexts(options.nSpeak);
}

// A popup menu object made ahead of the click, then the click that makes another
// one and opens the menu.
void RunScriptedClick(HWND hWnd, DialogWatcher& watcher, int nPick)
{
    CHECKED_CALL("CreateRPopupMenu", g_plugIn.createRPopupMenu(hWnd));
    watcher.PickMenuItem(nPick);
    DWORD start = GetTickCount();
    SendMessageA(hWnd, WM_RBUTTONUP, 0, MAKELPARAM(40, 30));
    printf("client: the right click returned after %lu ms\n", GetTickCount() - start);
}

void RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    Options options = ParseOptions(argc, argv);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    DialogWatcher watcher;
    watcher.Start();

    int nResult = 1;
    if (LoadPlugIn()) {
        CallExports(options);
        HWND hWnd = CreateClientWindow();
        if (options.bScript) {
            RunScriptedClick(hWnd, watcher, options.nPick);
            DestroyWindow(hWnd);
        } else {
            printf("client: right-click the window for the menu; close it to quit\n");
            RunMessageLoop();
        }
        nResult = 0;
    }
    if (options.bExitProcess) {
        watcher.Stop();
        printf("client: ending the process\n");
        ExitProcess(nResult);
    }
    if (g_plugIn.hModule)
        FreeLibrary(g_plugIn.hModule);
    watcher.Stop();
    WSACleanup();
    printf("client: done\n");
    return nResult;
}
