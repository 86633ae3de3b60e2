#include "tests/wine/DialogScript.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

DialogScript* g_pScript = nullptr;

}  // namespace

DialogScript::DialogScript(const HWND* phWndDialog, std::vector<Step> steps, UINT intervalMs)
    : m_phWndDialog(phWndDialog), m_steps(std::move(steps))
{
    g_pScript = this;
    m_timer = SetTimer(nullptr, 0, intervalMs, &DialogScript::Tick);
}

DialogScript::~DialogScript()
{
    KillTimer(nullptr, m_timer);
    g_pScript = nullptr;
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_pScript)
        g_pScript->RunStep();
}

void DialogScript::RunStep()
{
    HWND hWnd = *m_phWndDialog;
    if (!hWnd || !IsWindow(hWnd))
        return;
    if (Finished()) {
        if (--m_graceTicks <= 0) {
            ADD_FAILURE() << "the dialog was still open after the script";
            DestroyWindow(hWnd);
        }
        return;
    }
    if (m_steps[m_next]())
        ++m_next;
}

DialogScript::Step Do(std::function<void()> action)
{
    return [action] {
        action();
        return true;
    };
}

DialogScript::Step WaitFor(std::function<bool()> done, const char* what, DWORD timeoutMs)
{
    auto start = std::make_shared<DWORD>(0);
    return [done, what, timeoutMs, start] {
        if (!*start)
            *start = GetTickCount();
        if (done())
            return true;
        if (GetTickCount() - *start < timeoutMs)
            return false;
        ADD_FAILURE() << "timed out waiting for " << what;
        return true;
    };
}

INT_PTR RunScripted(CDialog& dialog, Steps steps)
{
    DialogScript script(&dialog.m_hWnd, std::move(steps));
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(script.Finished()) << "the dialog ended before the script did";
    return result;
}

DialogScript::Step WaitVisible(const CDialog& dialog)
{
    return WaitFor([&dialog] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); }, "the dialog to show");
}

DialogScript::Step Settle()
{
    auto ticks = std::make_shared<int>(4);
    return [ticks] { return --*ticks <= 0; };
}
