#include "client/DialogWatcher.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string ClassName(HWND hWnd)
{
    char name[64] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectStaticText(HWND hWnd, LPARAM lParam)
{
    if (ClassName(hWnd) != "Static")
        return TRUE;
    wchar_t text[1024] = {};
    GetWindowTextW(hWnd, text, 1024);
    auto* pCollected = reinterpret_cast<std::wstring*>(lParam);
    pCollected->append(text);
    return TRUE;
}

}  // namespace

std::string Utf8FromWide(const wchar_t* pszText)
{
    int nBytes = WideCharToMultiByte(CP_UTF8, 0, pszText, -1, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 1)
        return std::string();
    std::string text(nBytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, pszText, -1, &text[0], nBytes, nullptr, nullptr);
    text.resize(nBytes - 1);
    return text;
}

std::string Utf8FromGbk(const char* pszText)
{
    int nChars = MultiByteToWideChar(936, 0, pszText, -1, nullptr, 0);
    if (nChars <= 1)
        return std::string();
    std::vector<wchar_t> wide(nChars);
    MultiByteToWideChar(936, 0, pszText, -1, wide.data(), nChars);
    return Utf8FromWide(wide.data());
}

DialogWatcher::~DialogWatcher() { Stop(); }

// Returns once the thread has made its first window calls: a thread whose first calls
// load system libraries would wait for the loader lock, which the plug-in's start-up
// holds while its message boxes are up.
void DialogWatcher::Start()
{
    m_bStop = false;
    OwnedHandle running(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE hRunning = running.Get();
    bool started = m_thread.Start([this, hRunning] {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(this));
        SetEvent(hRunning);
        Run();
    });
    if (started)
        WaitForSingleObject(hRunning, INFINITE);
}

void DialogWatcher::Stop()
{
    m_bStop = true;
    m_thread.Join();
}

void DialogWatcher::Run()
{
    while (!m_bStop) {
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
    std::string name = ClassName(hWnd);
    if (name == "#32770")
        pWatcher->DismissMessageBox(hWnd);
    else if (name == "#32768")
        pWatcher->PickFromMenu(hWnd);
    return TRUE;
}

void DialogWatcher::DismissMessageBox(HWND hWnd)
{
    std::wstring text;
    EnumChildWindows(hWnd, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    if (text.empty())
        return;  // a dialog without a message, such as the configuration windows: not a box
    printf("messagebox: %s\n", Utf8FromWide(text.c_str()).c_str());
    // Wait until the box has gone so that it is reported once.
    SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250 && IsWindow(hWnd) && IsWindowVisible(hWnd); ++i)
        Sleep(20);
}

void DialogWatcher::PickFromMenu(HWND hWnd)
{
    int nPick = m_nPick.exchange(-1);
    if (nPick < 0)
        return;
    printf("menu: picking item %d\n", nPick);
    for (int i = 0; i < nPick; ++i)
        PostMessageA(hWnd, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(hWnd, WM_KEYDOWN, nPick ? VK_RETURN : VK_ESCAPE, 0);
}
