// The client's watcher thread: prints and dismisses the message boxes of this process,
// and in scripted runs picks an item of an open popup menu with the keyboard.
#pragma once

#include <windows.h>

class DialogWatcher {
public:
    DialogWatcher() = default;
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    void Start();
    void Stop();
    // The next popup menu gets nItem presses of the down key and Enter; 0 cancels it.
    void PickMenuItem(int nItem) { InterlockedExchange(&m_nPick, nItem); }

private:
    static DWORD WINAPI ThreadMain(void* pParameter);
    void Run();
    static BOOL CALLBACK VisitWindow(HWND hWnd, LPARAM lParam);
    void DismissMessageBox(HWND hWnd);
    void PickFromMenu(HWND hWnd);

    HANDLE m_hThread = nullptr;
    HANDLE m_hRunning = nullptr;  // set once the thread has made its first window calls
    LONG m_bStop = 0;
    LONG m_nPick = -1;
};

// Text for the console in UTF-8, cut at 4 KB; GBK text goes through UTF-16 first.
class Utf8Text {
public:
    explicit Utf8Text(const wchar_t* pszText);
    const char* c_str() const { return m_text; }

private:
    char m_text[4096];
};

Utf8Text Utf8FromWide(const wchar_t* pszText);
Utf8Text Utf8FromGbk(const char* pszText);
