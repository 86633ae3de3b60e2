// The framework's window object: a C++ object bound to a window handle through a
// process-wide handle map.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    BOOL Attach(HWND hWndNew);
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to hWnd, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    HWND m_hWnd = nullptr;
};
