// The client's watcher thread: prints and dismisses the message boxes of this process,
// and in scripted runs picks an item of an open popup menu with the keyboard.
#pragma once

#include "client/WinThread.h"

#include <windows.h>

#include <atomic>

class DialogWatcher {
public:
    DialogWatcher() = default;
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    void Start();
    void Stop();
    // The next popup menu gets nItem presses of the down key and Enter; 0 cancels it.
    void PickMenuItem(int nItem) { m_nPick = nItem; }

private:
    void Run();
    static BOOL CALLBACK VisitWindow(HWND hWnd, LPARAM lParam);
    void DismissMessageBox(HWND hWnd);
    void PickFromMenu(HWND hWnd);

    WinThread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nPick{-1};
};

// UTF-16 to UTF-8 for the console; GBK text goes through UTF-16 first.
std::string Utf8FromWide(const wchar_t* pszText);
std::string Utf8FromGbk(const char* pszText);
