#include "tests/wine/MessagePump.h"

#include "framework/CWnd.h"

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

}  // namespace

void PumpMessages(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed < 10 ? timeoutMs - elapsed : 10, QS_ALLINPUT);
    }
}

void PostMouse(HWND hWnd, UINT message, int x, int y)
{
    PostMessageA(hWnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
}

void SendMouse(CWnd& wnd, UINT message, int x, int y)
{
    PostMouse(wnd.m_hWnd, message, x, y);
    PumpMessages(0);
}

void PostClick(HWND hWnd, int x, int y)
{
    PostMouse(hWnd, WM_LBUTTONDOWN, x, y);
    PostMouse(hWnd, WM_LBUTTONUP, x, y);
}

void PostClickItem(HWND hWndDialog, int nID)
{
    RECT rect;
    GetWindowRect(GetDlgItem(hWndDialog, nID), &rect);
    POINT pt = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    // The window the mouse would reach there: disabled controls and group boxes pass it on.
    HWND target = WindowFromPoint(pt);
    if (target != hWndDialog && !IsChild(hWndDialog, target))
        return;  // the control is not on the dialog's visible face: nothing is hit
    ScreenToClient(target, &pt);
    PostClick(target, pt.x, pt.y);
}

void PostKey(HWND hWndDialog, UINT vk, bool alt)
{
    HWND focus = GetFocus();
    HWND target = focus && (focus == hWndDialog || IsChild(hWndDialog, focus)) ? focus : hWndDialog;
    const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
    const LPARAM altBit = alt ? (1 << 29) : 0;
    PostMessageA(target, down, vk, 1 | altBit);
    PostMessageA(target, up, vk, 1 | altBit | (1u << 30) | (1u << 31));
}

int CountThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}
