// Messages of the test's own thread: pumping with a deadline, mouse and key messages
// posted the way the system would send them, and the thread's windows.
#pragma once

#include <windows.h>

#include <functional>

class CWnd;

// Dispatches this thread's messages for about ms milliseconds.
void PumpMessages(DWORD ms);
// Dispatches messages until done() holds or timeoutMs passes; the last done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);

// Posts one mouse message with client coordinates (MK_LBUTTON with a button press).
void PostMouse(HWND hWnd, UINT message, int x, int y);
// Posts a mouse message to the window and lets it be handled.
void SendMouse(CWnd& wnd, UINT message, int x, int y);
// Posts a left click (down, then up) at a point of the window's client area.
void PostClick(HWND hWnd, int x, int y);
// Posts a left click on the middle of the dialog's control to the window that the mouse
// would reach there (the dialog itself when the control is disabled).
void PostClickItem(HWND hWndDialog, int nID);
// Posts a key press (down and up) to the window that has the focus in the dialog, or to
// the dialog itself.
void PostKey(HWND hWndDialog, UINT vk, bool alt = false);

// The visible and hidden top-level windows of this thread.
int CountThreadWindows();
