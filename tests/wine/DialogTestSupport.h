// Helpers for dialog tests: a script of steps that runs inside a dialog's own modal
// loop, one step per timer tick, the real mouse and keyboard messages it posts, the
// windows of the thread, and screenshots of a window saved as artefacts.
#pragma once

#include "framework/CDialog.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Runs its steps on a thread timer while a modal loop dispatches messages. A step that
// returns false runs again on the next tick. When every step is done and the dialog
// still exists after a grace period, the dialog window is destroyed so the test ends.
class DialogScript {
public:
    using Step = std::function<bool()>;

    DialogScript(const HWND* phWndDialog, std::vector<Step> steps, UINT intervalMs = 25);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    bool Finished() const { return m_next >= m_steps.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void RunStep();

    const HWND* m_phWndDialog;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_graceTicks = 80;
    DWORD m_stepStart = 0;
    UINT_PTR m_timer = 0;
};

// A step that runs once.
DialogScript::Step Do(std::function<void()> action);
// A step that waits until done() holds, for at most timeoutMs; then the test fails.
DialogScript::Step WaitFor(std::function<bool()> done, const char* what, DWORD timeoutMs = 3000);

using Steps = std::vector<DialogScript::Step>;

// Runs the dialog modally with the script; DoModal's result. The script must have
// finished by then.
INT_PTR RunScripted(CDialog& dialog, Steps steps);
// Waits for the dialog's window to show.
DialogScript::Step WaitVisible(const CDialog& dialog);
// A few ticks in which posted messages are handled.
DialogScript::Step Settle();

// Posts a left click (down, then up) at a point of the control's client area.
void PostClick(HWND hWnd, int x, int y);
// Posts a left click on the middle of the dialog's control to the window that the mouse
// would reach there (the dialog itself when the control is disabled).
void PostClickItem(HWND hWndDialog, int nID);
// Posts a key press (down and up) to the window that has the focus in the dialog, or to
// the dialog itself.
void PostKey(HWND hWndDialog, UINT vk, bool alt = false);

// The visible and hidden top-level windows of this thread.
int CountThreadWindows();

// Saves what the screen shows of the window, and of hWndAlso when given, as a 24-bit
// BMP named name under build/artifacts. Without a window manager a caption is not drawn.
bool SaveWindowShot(HWND hWnd, const std::string& name, HWND hWndAlso = nullptr);
