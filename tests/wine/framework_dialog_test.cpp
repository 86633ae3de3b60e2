// The framework's dialog on the plug-in's template 2001: how Enter, Escape and close
// requests end it, that PreTranslateMessage sees its controls' messages first, that its
// loop purges temporary objects when idle, and a template that does not exist.
#include "framework/CDC.h"
#include "framework/CDialog.h"
#include "framework/TemporaryObjects.h"

#include "res/resource.h"
#include "tests/wine/DialogScript.h"
#include "tests/wine/MessagePump.h"

#include <gtest/gtest.h>

namespace {

// Counts the left-button presses on its controls that reach PreTranslateMessage.
class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_CONFIG) {}
    int childPresses = 0;

protected:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_LBUTTONDOWN && ::IsChild(m_hWnd, pMsg->hwnd))
            ++childPresses;
        return CDialog::PreTranslateMessage(pMsg);
    }
};

}  // namespace

TEST(CDialog, EnterEndsWithOkEscapeAndCloseRequestsWithCancel)
{
    struct Row {
        const char* name;
        std::function<void(HWND)> request;
        INT_PTR result;
    };
    const Row rows[] = {
        {"Enter", [](HWND hWnd) { PostKey(hWnd, VK_RETURN); }, IDOK},
        {"Escape", [](HWND hWnd) { PostKey(hWnd, VK_ESCAPE); }, IDCANCEL},
        {"WM_CLOSE", [](HWND hWnd) { PostMessageA(hWnd, WM_CLOSE, 0, 0); }, IDCANCEL},
        {"Alt+F4", [](HWND hWnd) { PostKey(hWnd, VK_F4, true); }, IDCANCEL},
        {"the OK button", [](HWND hWnd) { PostClickItem(hWnd, IDOK); }, IDOK},
    };
    for (const Row& row : rows) {
        ProbeDialog dialog;
        Steps steps = {WaitVisible(dialog), Do([&] { row.request(dialog.m_hWnd); })};
        EXPECT_EQ(row.result, RunScripted(dialog, std::move(steps))) << row.name;
        EXPECT_EQ(nullptr, dialog.m_hWnd) << row.name << ": the window is gone after DoModal";
    }
}

TEST(CDialog, PreTranslateMessageSeesTheControlsMessagesBeforeDispatch)
{
    ProbeDialog dialog;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] { PostClickItem(dialog.m_hWnd, IDC_FULLSCREEN); }),
        Settle(),
        Do([&] {
            EXPECT_EQ(1, dialog.childPresses);
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog.m_hWnd, IDC_FULLSCREEN)) << "then dispatched";
            dialog.EndDialog(42);
        }),
    };
    EXPECT_EQ(42, RunScripted(dialog, std::move(steps)));
}

TEST(CDialog, MissingTemplateGivesMinusOne)
{
    CDialog dialog(4242);
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(CDialog, TemporaryWindowAndDcObjectsGoWhenTheModalLoopIsIdle)
{
    const int controls[] = {IDC_RENDER_AUTO, IDC_RENDER_DIRECT3D, IDC_RENDER_OPENGL,
                            IDC_RENDER_SOFTWARE, IDC_FULLSCREEN, IDC_DONTSHOW};
    ProbeDialog dialog;
    size_t windowsMade = 0, dcsMade = 0;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] {
            const size_t windowsBefore = AfxTempWindowCount(), dcsBefore = AfxTempDCCount();
            for (int nID : controls) {
                CWnd* pControl = dialog.GetDlgItem(nID);
                HDC hDC = CreateCompatibleDC(nullptr);
                EXPECT_EQ(hDC, CDC::FromHandle(hDC)->GetSafeHdc()) << "control " << nID;
                EXPECT_EQ(pControl, dialog.GetDlgItem(nID)) << "one object per handle until idle";
                DeleteDC(hDC);  // a view does not own its DC: the object can outlive it
            }
            windowsMade = AfxTempWindowCount() - windowsBefore;
            dcsMade = AfxTempDCCount() - dcsBefore;
        }),
        WaitFor([] { return AfxTempWindowCount() == 0 && AfxTempDCCount() == 0; },
                "the temporaries purged when the loop went idle"),
        Do([&] { dialog.EndDialog(IDOK); }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
    EXPECT_EQ(6u, windowsMade);
    EXPECT_GE(dcsMade, 1u) << "memory DC handles may be reused, but at least one was seen";
}
