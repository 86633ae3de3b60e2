// A script of steps that runs inside a dialog's own modal loop, one step per timer
// tick, for tests that drive a modal dialog from within.
#pragma once

#include "framework/CDialog.h"

#include <windows.h>

#include <functional>
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
    UINT_PTR m_timer = 0;
};

// A step that runs once.
DialogScript::Step Do(std::function<void()> action);
// A step that waits until done() holds, for at most timeoutMs; then the test fails.
DialogScript::Step WaitFor(std::function<bool()> done, const char* what, DWORD timeoutMs = 10000);

using Steps = std::vector<DialogScript::Step>;

// Runs the dialog modally with the script; DoModal's result. The script must have
// finished by then.
INT_PTR RunScripted(CDialog& dialog, Steps steps);
// Waits for the dialog's window to show.
DialogScript::Step WaitVisible(const CDialog& dialog);
// A few ticks in which posted messages are handled. Not a guess at time: the system
// makes a timer's tick only when no posted message waits, so by the first tick what was
// posted before it, and what handling that posted in turn, has been handled.
DialogScript::Step Settle();
