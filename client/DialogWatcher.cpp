#include "client/DialogWatcher.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

bool HasClass(HWND hWnd, const char* pszClass)
{
    char name[64] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return strcmp(name, pszClass) == 0;
}

// The text of a box's static controls, one after the other.
struct StaticText {
    wchar_t text[2048];
    size_t nLength;
};

BOOL CALLBACK CollectStaticText(HWND hWnd, LPARAM lParam)
{
    auto* pCollected = reinterpret_cast<StaticText*>(lParam);
    size_t nRoom = sizeof pCollected->text / sizeof pCollected->text[0] - pCollected->nLength;
    if (HasClass(hWnd, "Static") && nRoom > 1) {
        GetWindowTextW(hWnd, pCollected->text + pCollected->nLength, static_cast<int>(nRoom));
        pCollected->nLength += wcslen(pCollected->text + pCollected->nLength);
    }
    return TRUE;
}

}  // namespace

Utf8Text::Utf8Text(const wchar_t* pszText)
{
    m_text[0] = '\0';
    if (WideCharToMultiByte(CP_UTF8, 0, pszText, -1, m_text, sizeof m_text, nullptr, nullptr) <= 0)
        m_text[0] = '\0';
}

Utf8Text Utf8FromWide(const wchar_t* pszText) { return Utf8Text(pszText); }

Utf8Text Utf8FromGbk(const char* pszText)
{
    static const int kMaxChars = 4096;
    wchar_t wide[kMaxChars];
    if (MultiByteToWideChar(936, 0, pszText, -1, wide, kMaxChars) <= 0)
        wide[0] = L'\0';
    return Utf8Text(wide);
}

DialogWatcher::~DialogWatcher() { Stop(); }

// Returns once the thread has made its first window calls: a thread whose first calls
// load system libraries would wait for the loader lock, which the plug-in's start-up
// holds while its message boxes are up.
void DialogWatcher::Start()
{
    Stop();
    m_bStop = 0;
    m_hRunning = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hThread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (m_hThread && m_hRunning)
        WaitForSingleObject(m_hRunning, INFINITE);
}

void DialogWatcher::Stop()
{
    InterlockedExchange(&m_bStop, 1);
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hRunning) {
        CloseHandle(m_hRunning);
        m_hRunning = nullptr;
    }
}

DWORD WINAPI DialogWatcher::ThreadMain(void* pParameter)
{
    auto* pWatcher = static_cast<DialogWatcher*>(pParameter);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(pWatcher));
    if (pWatcher->m_hRunning)
        SetEvent(pWatcher->m_hRunning);
    pWatcher->Run();
    return 0;
}

void DialogWatcher::Run()
{
    while (!InterlockedCompareExchange(&m_bStop, 0, 0)) {
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(this));
        Sleep(20);
    }
}

BOOL CALLBACK DialogWatcher::VisitWindow(HWND hWnd, LPARAM lParam)
{
    auto* pWatcher = reinterpret_cast<DialogWatcher*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hWnd, &processId);
    if (processId != GetCurrentProcessId() || !IsWindowVisible(hWnd))
        return TRUE;
    if (HasClass(hWnd, "#32770"))
        pWatcher->DismissMessageBox(hWnd);
    else if (HasClass(hWnd, "#32768"))
        pWatcher->PickFromMenu(hWnd);
    return TRUE;
}

void DialogWatcher::DismissMessageBox(HWND hWnd)
{
    StaticText collected = {};
    EnumChildWindows(hWnd, CollectStaticText, reinterpret_cast<LPARAM>(&collected));
    if (collected.nLength == 0)
        return;  // a dialog without a message, such as the configuration windows: not a box
    printf("messagebox: %s\n", Utf8FromWide(collected.text).c_str());
    // Wait until the box has gone so that it is reported once.
    SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(hWnd) && IsWindowVisible(hWnd); ++i)
        Sleep(20);
}

void DialogWatcher::PickFromMenu(HWND hWnd)
{
    int nPick = InterlockedExchange(&m_nPick, -1);
    if (nPick < 0)
        return;
    printf("menu: picking item %d\n", nPick);
    for (int i = 0; i < nPick; ++i)
        PostMessageA(hWnd, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(hWnd, WM_KEYDOWN, nPick ? VK_RETURN : VK_ESCAPE, 0);
}
