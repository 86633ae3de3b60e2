// The plain configuration dialog run modally, driven by messages posted into its own
// loop: the collapsed and expanded forms, the disabled box, the radio group, the
// endings, the mode tips, and repeated opening.
#include "config/ConfigDialog.h"

#include "res/resource.h"
#include "tests/wine/DialogScript.h"
#include "tests/wine/GdiObjectCounter.h"
#include "tests/wine/MessagePump.h"
#include "tests/wine/Pixels.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

int Height(HWND hWnd)
{
    RECT rect;
    GetWindowRect(hWnd, &rect);
    return rect.bottom - rect.top;
}

std::string ItemText(HWND hWndDialog, int nID)
{
    char text[64] = {};
    GetDlgItemTextA(hWndDialog, nID, text, sizeof text);
    return text;
}

bool Checked(HWND hWndDialog, int nID) { return IsDlgButtonChecked(hWndDialog, nID) == BST_CHECKED; }

}  // namespace

TEST(ConfigDialog, OpensCollapsedAndTheAdvancedButtonToggles)
{
    ConfigDialog dialog;
    dialog.m_nOpenCount = 3;
    HWND& hWnd = dialog.m_hWnd;
    int collapsed = 0;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] {
            collapsed = Height(hWnd);
            RECT full = {0, 0, 179, 117};
            MapDialogRect(hWnd, &full);
            AdjustWindowRectEx(&full, static_cast<DWORD>(GetWindowLongA(hWnd, GWL_STYLE)), FALSE, 0);
            EXPECT_EQ(full.bottom - full.top - 100, collapsed) << "100 pixels shorter than the template";
            RECT dlg, radio;
            GetWindowRect(hWnd, &dlg);
            GetWindowRect(GetDlgItem(hWnd, IDC_RENDER_AUTO), &radio);
            EXPECT_GE(radio.top, dlg.bottom) << "the display-driver choices are cut off";
            EXPECT_EQ("高级 >>", ItemText(hWnd, IDC_ADVANCED));
            EXPECT_FALSE(dialog.m_bAdvanced);
            SaveWindowShot(hWnd, "config_dialog_collapsed");
            PostClickItem(hWnd, IDC_ADVANCED);
        }),
        WaitFor([&] { return Height(hWnd) == collapsed + 100; }, "the expanded height"),
        Do([&] {
            EXPECT_EQ("高级 <<", ItemText(hWnd, IDC_ADVANCED));
            EXPECT_TRUE(dialog.m_bAdvanced);
            SaveWindowShot(hWnd, "config_dialog_expanded");
            PostClickItem(hWnd, IDC_ADVANCED);
        }),
        WaitFor([&] { return Height(hWnd) == collapsed; }, "the collapsed height again"),
        Do([&] {
            EXPECT_EQ("高级 >>", ItemText(hWnd, IDC_ADVANCED));
            PostClickItem(hWnd, IDOK);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
}

TEST(ConfigDialog, DontShowBoxIsDisabledBelowTwoStartUps)
{
    struct Row {
        int openCount;
        BOOL before;
        bool enabled;
        BOOL after;  // after one click on the box and OK
    };
    const Row rows[] = {{0, 1, false, 1}, {1, 0, false, 0}, {2, 0, true, 1}, {2, 1, true, 0}, {9, 0, true, 1}};
    for (const Row& row : rows) {
        ConfigDialog dialog;
        dialog.m_nOpenCount = row.openCount;
        dialog.m_bDontShowAgain = row.before;
        HWND& hWnd = dialog.m_hWnd;
        Steps steps = {
            WaitVisible(dialog),
            Do([&] {
                EXPECT_EQ(row.enabled, IsWindowEnabled(GetDlgItem(hWnd, IDC_DONTSHOW)) != 0)
                    << "open count " << row.openCount;
                EXPECT_EQ(row.before != 0, Checked(hWnd, IDC_DONTSHOW)) << "open count " << row.openCount;
                PostClickItem(hWnd, IDC_DONTSHOW);
            }),
            Settle(),
            Do([&] { PostClickItem(hWnd, IDOK); }),
        };
        EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps))) << "open count " << row.openCount;
        EXPECT_EQ(row.after, dialog.m_bDontShowAgain) << "open count " << row.openCount;
    }
}

TEST(ConfigDialog, RadioGroupIsTheRenderMode)
{
    struct Row {
        int before;
        int click;  // a radio button to click, or 0
        int after;
    };
    const Row rows[] = {{-1, 0, -1}, {2, 0, 2}, {2, IDC_RENDER_SOFTWARE, 3}, {0, IDC_RENDER_DIRECT3D, 1},
                        {-1, IDC_RENDER_AUTO, 0}, {5, 0, -1}};
    for (const Row& row : rows) {
        ConfigDialog dialog;
        dialog.m_nOpenCount = 2;
        dialog.m_nRenderMode = row.before;
        HWND& hWnd = dialog.m_hWnd;
        Steps steps = {
            WaitVisible(dialog),
            Do([&] {
                for (int id = IDC_RENDER_AUTO; id <= IDC_RENDER_SOFTWARE; ++id)
                    EXPECT_EQ(id - IDC_RENDER_AUTO == row.before, Checked(hWnd, id))
                        << "radio " << id << " with mode " << row.before;
                PostClickItem(hWnd, IDC_ADVANCED);
            }),
            Settle(),
            Do([&] {
                if (row.click)
                    PostClickItem(hWnd, row.click);
            }),
            Settle(),
            Do([&] { PostKey(hWnd, VK_RETURN); }),
        };
        EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps))) << "mode " << row.before;
        EXPECT_EQ(row.after, dialog.m_nRenderMode) << "mode " << row.before << " click " << row.click;
    }
}

TEST(ConfigDialog, EscapeCloseAndAltF4LeaveItOpenEnterTakesTheChoices)
{
    ConfigDialog dialog;
    dialog.m_nOpenCount = 2;
    HWND& hWnd = dialog.m_hWnd;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] {
            PostClickItem(hWnd, IDC_FULLSCREEN);
            PostKey(hWnd, VK_ESCAPE);
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
            PostKey(hWnd, VK_F4, true);
        }),
        Settle(),
        Do([&] {
            EXPECT_TRUE(IsWindowVisible(hWnd)) << "Escape, WM_CLOSE and Alt+F4 do not end the dialog";
            EXPECT_TRUE(Checked(hWnd, IDC_FULLSCREEN));
            EXPECT_EQ(0, dialog.m_bFullScreen) << "members change only on OK";
            PostKey(hWnd, VK_RETURN);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
    EXPECT_EQ(1, dialog.m_bFullScreen);
}

TEST(ConfigDialog, ModeTipShowsWhenTheCursorRestsOnARadioButton)
{
    ConfigDialog dialog;
    dialog.m_nOpenCount = 2;
    HWND& hWnd = dialog.m_hWnd;
    HWND& hWndTip = dialog.m_toolTip.m_hWnd;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] {
            EXPECT_EQ(200, dialog.m_toolTip.SendMessage(TTM_GETDELAYTIME, TTDT_INITIAL));
            EXPECT_EQ(10000, dialog.m_toolTip.SendMessage(TTM_GETDELAYTIME, TTDT_AUTOPOP));
            EXPECT_EQ(400, dialog.m_toolTip.SendMessage(TTM_GETMAXTIPWIDTH));
            EXPECT_EQ(4, dialog.m_toolTip.SendMessage(TTM_GETTOOLCOUNT));
            PostClickItem(hWnd, IDC_ADVANCED);
        }),
        Settle(),
        Do([&] {
            HWND radio = GetDlgItem(hWnd, IDC_RENDER_DIRECT3D);
            RECT rect;
            GetWindowRect(radio, &rect);
            SetCursorPos(rect.left + 20, (rect.top + rect.bottom) / 2);
            PostMessageA(radio, WM_MOUSEMOVE, 0, MAKELPARAM(20, (rect.bottom - rect.top) / 2));
        }),
        WaitFor([&] { return IsWindowVisible(hWndTip) != 0; }, "the tip to show"),
        Do([&] {
            TOOLINFOA ti = {};
            ti.cbSize = TTTOOLINFOA_V2_SIZE;
            char text[1024] = {};
            ti.lpszText = text;
            ASSERT_TRUE(dialog.m_toolTip.SendMessage(TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
            EXPECT_EQ(GetDlgItem(hWnd, IDC_RENDER_DIRECT3D), reinterpret_cast<HWND>(ti.uId));
            EXPECT_EQ(0, std::string(text).find("显示速度快，图像速度与您的显卡性能相关")) << text;
            SaveWindowShot(hWnd, "config_dialog_tooltip", hWndTip);
            PostClickItem(hWnd, IDOK);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
}

TEST(ConfigDialog, OpeningItManyTimesLeavesNoWindowOrGdiObjectBehind)
{
    const int before = CountThreadWindows();
    GdiObjectCounter counter;
    ASSERT_TRUE(GdiObjectCounter::Installed());
    for (int i = 0; i < 6; ++i) {  // a captioned window takes Wine two seconds to go without a window manager
        ConfigDialog dialog;
        dialog.m_nOpenCount = i;
        Steps steps = {WaitVisible(dialog), Do([&] { PostKey(dialog.m_hWnd, VK_RETURN); })};
        ASSERT_EQ(IDOK, RunScripted(dialog, std::move(steps))) << "round " << i;
    }
    EXPECT_EQ(before, CountThreadWindows()) << "top-level windows of the thread";
    EXPECT_EQ(0u, counter.Live()) << "GDI objects and DCs this code created and did not release";
}
