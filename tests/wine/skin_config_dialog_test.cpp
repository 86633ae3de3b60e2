// The skinned configuration window run modally, driven by mouse and keyboard messages
// posted into its own loop: placement, shape, the forward click, the buttons and their
// notifications, the tips, the endings, a missing background, and repeated opening.
#include "config/SkinConfigDialog.h"

#include "app/ConfigWindowStep.h"
#include "config/DeviceConfig.h"

#include "tests/wine/DialogScript.h"
#include "tests/wine/GdiObjectCounter.h"
#include "tests/wine/MessagePump.h"
#include "tests/wine/Pixels.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using D = SkinConfigDialog;

constexpr int kBackgroundWidth = 580;
constexpr int kBackgroundHeight = 370;

// Client rectangles of the buttons and the tips' hot rectangles.
struct Area {
    UINT nId;
    RECT rect;
};
const Area kButtonAreas[] = {
#define SKIN_BUTTON(name, x, y, width, height, ...) {D::IDC_SKIN_##name, {x, y, x + width, y + height}},
#include "config/SkinButtons.inc"
#undef SKIN_BUTTON
};
const RECT kTipAreas[] = {
#define SKIN_TIP(x, y, width, height, image) {x, y, x + width, y + height},
#include "config/SkinTips.inc"
#undef SKIN_TIP
};

RECT AreaOf(UINT nId)
{
    for (const Area& area : kButtonAreas)
        if (area.nId == nId)
            return area.rect;
    return {};
}

// Posts a click in the middle of a button, in the window's client coordinates.
void ClickButton(HWND hWnd, UINT nId)
{
    const RECT r = AreaOf(nId);
    PostClick(hWnd, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool HasRegion(HWND hWnd)
{
    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    return GetWindowRgn(hWnd, region) != ERROR;
}

BOOL CALLBACK CollectToolTip(HWND hWnd, LPARAM lParam)
{
    char name[32] = {};
    GetWindowTextA(hWnd, name, sizeof name);
    if (std::string(name) == "ZRKToolTip")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The thread's tooltip windows ("ZRKToolTip"), visible or not.
std::vector<HWND> ToolTipWindows()
{
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), &CollectToolTip, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND VisibleToolTip()
{
    for (HWND hWnd : ToolTipWindows())
        if (IsWindowVisible(hWnd))
            return hWnd;
    return nullptr;
}

// Rests the cursor on the middle of a tip's hot rectangle, as the system would report it.
void HoverTip(HWND hWnd, const RECT& hot)
{
    POINT pt = {(hot.left + hot.right) / 2, (hot.top + hot.bottom) / 2};
    POINT screen = pt;
    ClientToScreen(hWnd, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
}

class MissingBackgroundDialog : public SkinConfigDialog {
public:
    MissingBackgroundDialog() { m_nBkBitmapId = 2999; }
};

class OddBackgroundDialog : public SkinConfigDialog {
public:
    explicit OddBackgroundDialog(UINT nBitmapId) { m_nBkBitmapId = nBitmapId; }
};

}  // namespace

TEST(SkinConfigDialog, PlacedTopmostAboveTheCentreClickedInsideItsShapeRegionOncePerProcess)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    SkinConfigDialog dialog;
    dialog.SetAllowDontShow(TRUE);
    HWND& hWnd = dialog.m_hWnd;
    Steps steps = {
        WaitVisible(dialog),
        WaitFor([&] { return HasRegion(hWnd); }, "the window's region"),
        Do([&] {
            RECT rect;
            GetWindowRect(hWnd, &rect);
            const RECT expected = {(cx - kBackgroundWidth) / 2, (cy - kBackgroundHeight) / 2 - 80,
                                   (cx - kBackgroundWidth) / 2 + kBackgroundWidth,
                                   (cy - kBackgroundHeight) / 2 - 80 + kBackgroundHeight};
            EXPECT_TRUE(EqualRect(&expected, &rect)) << "window at " << rect.left << "," << rect.top << " size "
                                                     << rect.right - rect.left << "x" << rect.bottom - rect.top;
            if (cx == 1024 && cy == 768) {
                EXPECT_TRUE(rect.left == 222 && rect.top == 119) << "on the test screen";
            }
            EXPECT_TRUE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
            EXPECT_TRUE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

            POINT cursor;
            GetCursorPos(&cursor);
            POINT inWindow = {cursor.x - rect.left, cursor.y - rect.top};
            EXPECT_TRUE(PtInRect(&rect, cursor)) << "click at " << cursor.x << "," << cursor.y;
            CRgn region;
            region.CreateRectRgn(0, 0, 0, 0);
            GetWindowRgn(hWnd, region);
            EXPECT_TRUE(PtInRegion(region, inWindow.x, inWindow.y)) << "click inside the shape";
            for (const Area& area : kButtonAreas)
                EXPECT_FALSE(PtInRect(&area.rect, inWindow)) << "click on button " << area.nId;
            for (const RECT& tip : kTipAreas)
                EXPECT_FALSE(PtInRect(&tip, inWindow)) << "click in a tip's hot rectangle";
            SaveWindowShot(hWnd, "skin_config_dialog");
            ClickButton(hWnd, D::IDC_SKIN_OK);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));

    SkinConfigDialog second;
    Steps secondSteps = {
        WaitVisible(second),
        Settle(),
        Do([&] {
            EXPECT_FALSE(HasRegion(second.m_hWnd)) << "the region is built once per process";
            ClickButton(second.m_hWnd, D::IDC_SKIN_OK);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(second, std::move(secondSteps)));
}

TEST(SkinConfigDialog, RadioButtonsAreTheRenderMode)
{
    struct Row {
        int initial;
        int shown;  // GetRenderMode when the window opens
        std::vector<UINT> clicks;
        int result;
    };
    const Row rows[] = {
        {2, 2, {}, 2},
        {0, 0, {D::IDC_SKIN_SOFTWARE, D::IDC_SKIN_DIRECT3D}, 1},
        {7, -1, {}, -1},
        {4, -1, {}, -1},
        {-1, -1, {D::IDC_SKIN_AUTO}, 0},
        {3, 3, {D::IDC_SKIN_OPENGL, D::IDC_SKIN_OPENGL}, 2},
    };
    for (const Row& row : rows) {
        SkinConfigDialog dialog;
        dialog.SetAllowDontShow(TRUE);
        dialog.SetRenderMode(row.initial);
        HWND& hWnd = dialog.m_hWnd;
        Steps steps = {WaitVisible(dialog),
                       Do([&] { EXPECT_EQ(row.shown, dialog.GetRenderMode()) << "opened with " << row.initial; })};
        for (UINT nId : row.clicks) {
            steps.push_back(Do([&hWnd, nId] { ClickButton(hWnd, nId); }));
            steps.push_back(Settle());
        }
        steps.push_back(Do([&] { ClickButton(hWnd, D::IDC_SKIN_OK); }));
        EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps))) << "opened with " << row.initial;
        EXPECT_EQ(row.result, dialog.GetRenderMode()) << "opened with " << row.initial << ", read after the window";
        EXPECT_TRUE(ToolTipWindows().empty()) << "the tips go with the window, the buttons stay";
    }
}

TEST(SkinConfigDialog, CheckBoxesToggleAndTheDisabledOneIgnoresClicks)
{
    struct Row {
        BOOL allow;
        BOOL dontShowBefore;
        BOOL dontShowAfter;  // after one click on the box
    };
    const Row rows[] = {{FALSE, TRUE, TRUE}, {FALSE, FALSE, FALSE}, {TRUE, FALSE, TRUE}, {TRUE, TRUE, FALSE}};
    for (const Row& row : rows) {
        SkinConfigDialog dialog;
        dialog.SetAllowDontShow(row.allow);
        dialog.SetDontShowAgain(row.dontShowBefore);
        dialog.SetFullScreen(TRUE);
        HWND& hWnd = dialog.m_hWnd;
        std::vector<BOOL> fullScreen;
        auto click = [&](UINT nId) { return Do([&hWnd, nId] { ClickButton(hWnd, nId); }); };
        auto record = [&] { return Do([&] { fullScreen.push_back(dialog.GetFullScreen()); }); };
        Steps steps = {WaitVisible(dialog), click(D::IDC_SKIN_FULLSCREEN), Settle(), record(),
                       click(D::IDC_SKIN_FULLSCREEN), Settle(), record(), click(D::IDC_SKIN_DONTSHOW), Settle(),
                       click(D::IDC_SKIN_OK)};
        EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
        EXPECT_EQ((std::vector<BOOL>{0, 1}), fullScreen) << "each click toggles full screen";
        EXPECT_EQ(row.dontShowAfter, dialog.GetDontShowAgain()) << "allow " << row.allow << " before "
                                                                << row.dontShowBefore;
    }
}

TEST(SkinConfigDialog, EnterEscapeCloseAndAltF4LeaveItOpenOnlyOkEndsIt)
{
    SkinConfigDialog dialog;
    dialog.SetAllowDontShow(TRUE);
    HWND& hWnd = dialog.m_hWnd;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] {
            PostKey(hWnd, VK_RETURN);
            PostKey(hWnd, VK_ESCAPE);
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
            PostKey(hWnd, VK_F4, true);
            PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        }),
        Settle(),
        Do([&] {
            EXPECT_TRUE(IsWindowVisible(hWnd)) << "still open";
            ClickButton(hWnd, D::IDC_SKIN_OK);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
}

// The dialog relays the capture's loss, which is sent, not posted: a press on OK whose
// capture another window takes ends there, and its late release leaves the window open.
TEST(SkinConfigDialog, OkPressedThenCaptureTakenAwayDoesNotEndIt)
{
    SkinConfigDialog dialog;
    HWND& hWnd = dialog.m_hWnd;
    const RECT ok = AreaOf(D::IDC_SKIN_OK);
    const int x = (ok.left + ok.right) / 2;
    const int y = (ok.top + ok.bottom) / 2;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] { PostMouse(hWnd, WM_LBUTTONDOWN, x, y); }),
        WaitFor([&] { return GetCapture() == hWnd; }, "the press to take the capture"),
        Do([&] {
            HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                         nullptr);
            SetCapture(other);
            DestroyWindow(other);
            PostMouse(hWnd, WM_LBUTTONUP, x, y);
        }),
        Settle(),
        Do([&] {
            EXPECT_TRUE(IsWindowVisible(hWnd)) << "the late release clicked OK";
            ClickButton(hWnd, D::IDC_SKIN_OK);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
}

TEST(SkinConfigDialog, TipShowsWhenTheCursorRestsOverARadioButton)
{
    SkinConfigDialog dialog;
    dialog.SetAllowDontShow(TRUE);
    dialog.SetRenderMode(1);
    HWND& hWnd = dialog.m_hWnd;
    Steps steps = {
        WaitVisible(dialog),
        Do([&] {
            EXPECT_EQ(4u, ToolTipWindows().size());
            HoverTip(hWnd, kTipAreas[2]);  // over Direct3D
        }),
        WaitFor([] { return VisibleToolTip() != nullptr; }, "a tip to show"),
        Settle(),
        Do([&] {
            SaveWindowShot(hWnd, "skin_config_tooltip", VisibleToolTip());
            PostMessageA(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        }),
        WaitFor([] { return VisibleToolTip() == nullptr; }, "the tip to hide"),
        Do([&] { ClickButton(hWnd, D::IDC_SKIN_OK); }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
}

TEST(SkinConfigDialog, MissingBackgroundKeepsTheTemplateAndEnterConfirms)
{
    MissingBackgroundDialog dialog;
    dialog.SetAllowDontShow(TRUE);
    dialog.SetRenderMode(2);
    HWND& hWnd = dialog.m_hWnd;
    Steps steps = {
        WaitVisible(dialog),
        Settle(),
        Do([&] {
            RECT templ = {0, 0, 189, 103};
            MapDialogRect(hWnd, &templ);
            RECT rect;
            GetWindowRect(hWnd, &rect);
            EXPECT_TRUE(rect.left == 0 && rect.top == 0) << "at " << rect.left << "," << rect.top;
            EXPECT_EQ(templ.right, rect.right - rect.left);
            EXPECT_EQ(templ.bottom, rect.bottom - rect.top);
            EXPECT_FALSE(HasRegion(hWnd)) << "no shape without the bitmap";
            EXPECT_TRUE(GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
            POINT cursor;
            GetCursorPos(&cursor);
            EXPECT_TRUE(PtInRect(&rect, cursor)) << "click at " << cursor.x << "," << cursor.y;
            PostKey(hWnd, VK_ESCAPE);
        }),
        Settle(),
        Do([&] {
            EXPECT_TRUE(IsWindowVisible(hWnd)) << "Escape is still ignored";
            PostKey(hWnd, VK_RETURN);
        }),
    };
    EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps)));
    EXPECT_EQ(2, dialog.GetRenderMode());
}

TEST(SkinConfigDialog, EnterConfirmsWhenTheOkButtonCannotBeReached)
{
    struct Row {
        const char* name;
        UINT nBitmapId;  // tests/wine/skins
    };
    const Row rows[] = {{"300 x 200: OK outside it", 2901},
                        {"1 x 1", 2902},
                        {"one colour: no shape at all", 2903},
                        {"4096 wide: OK off the screen", 2904}};
    for (const Row& row : rows) {
        OddBackgroundDialog dialog(row.nBitmapId);
        dialog.SetAllowDontShow(TRUE);
        dialog.SetRenderMode(3);
        HWND& hWnd = dialog.m_hWnd;
        Steps steps = {WaitVisible(dialog), Do([&] { PostKey(hWnd, VK_ESCAPE); }), Settle(),
                       Do([&] { PostKey(hWnd, VK_RETURN); })};
        EXPECT_EQ(IDOK, RunScripted(dialog, std::move(steps))) << row.name;
        EXPECT_EQ(3, dialog.GetRenderMode()) << row.name;
    }
}

TEST(SkinConfigDialog, OpeningItManyTimesLeavesNoWindowOrGdiObjectBehind)
{
    const int windows = CountThreadWindows();
    GdiObjectCounter counter;
    ASSERT_TRUE(GdiObjectCounter::Installed());
    for (int i = 0; i < 8; ++i) {
        SkinConfigDialog dialog;
        dialog.SetAllowDontShow(i % 2);
        dialog.SetRenderMode(i % 5 - 1);
        HWND& hWnd = dialog.m_hWnd;
        Steps steps = {
            WaitVisible(dialog),
            Do([&] { HoverTip(hWnd, kTipAreas[i % 4]); }),
            WaitFor([] { return VisibleToolTip() != nullptr; }, "a tip to show"),
            Do([&] { ClickButton(hWnd, D::IDC_SKIN_OK); }),
        };
        ASSERT_EQ(IDOK, RunScripted(dialog, std::move(steps))) << "round " << i;
    }
    EXPECT_EQ(windows, CountThreadWindows()) << "top-level windows of the thread";
    EXPECT_EQ(0u, counter.Live()) << "GDI objects and DCs created and not released";
}

namespace {

// Start-up keeps no handle to the window it runs: a thread timer finds it for the script.
HWND g_hWndStartUpWindow = nullptr;

BOOL CALLBACK TakeSkinnedWindow(HWND hWnd, LPARAM)
{
    RECT rect;
    if (!IsWindowVisible(hWnd) || !GetWindowRect(hWnd, &rect) || rect.right - rect.left != kBackgroundWidth ||
        rect.bottom - rect.top != kBackgroundHeight)
        return TRUE;
    g_hWndStartUpWindow = hWnd;
    return FALSE;
}

void CALLBACK LookForSkinnedWindow(HWND, UINT, UINT_PTR, DWORD)
{
    if (!IsWindow(g_hWndStartUpWindow))
        EnumThreadWindows(GetCurrentThreadId(), TakeSkinnedWindow, 0);
}

}  // namespace

TEST(SkinConfigDialog, StartUpStepRunsTheWindowAndAppliesItsChoices)
{
    struct Row {
        int32_t opencount;
        int32_t shownext;
        bool show;
        int32_t shownextAfter;  // don't-show-again is enabled from the second opening on
        int32_t counted;
    };
    const Row rows[] = {{0, 1, false, 1, 1},
                        {1, 1, true, 1, 2},
                        {2, 1, true, 0, 3},
                        {5, 0, false, 0, 6},
                        {0, 0, false, 0, 1},
                        {-1, 1, true, 1, 0},
                        {3, -4, true, 0, 4},
                        {INT32_MAX, 0, false, 0, INT32_MAX},
                        {INT32_MIN, 0, false, 0, INT32_MIN + 1}};
    for (const Row& row : rows) {
        DeviceConfig config = {};
        config.opencount = row.opencount;
        config.shownext = row.shownext;
        EXPECT_EQ(row.show, ShouldShowConfigWindow(config)) << row.opencount << "/" << row.shownext;
        g_hWndStartUpWindow = nullptr;
        const UINT_PTR finder = SetTimer(nullptr, 0, 10, LookForSkinnedWindow);
        HWND& hWnd = g_hWndStartUpWindow;
        auto click = [&hWnd](UINT nId) { return Do([&hWnd, nId] { ClickButton(hWnd, nId); }); };
        DialogScript script(&hWnd, {click(D::IDC_SKIN_OPENGL), Settle(), click(D::IDC_SKIN_FULLSCREEN), Settle(),
                                    click(D::IDC_SKIN_DONTSHOW), Settle(), click(D::IDC_SKIN_OK)});
        ApplyConfigWindowStep(config);
        KillTimer(nullptr, finder);
        EXPECT_EQ(row.show, script.Finished()) << row.opencount << "/" << row.shownext << ": the window ran";
        EXPECT_EQ(row.show ? 2 : 0, config.render) << row.opencount << "/" << row.shownext << ": OpenGL chosen";
        EXPECT_EQ(row.show ? 1 : 0, config.fullscreen) << row.opencount << "/" << row.shownext;
        EXPECT_EQ(row.shownextAfter, config.shownext) << row.opencount << "/" << row.shownext;
        EXPECT_EQ(row.counted, config.opencount) << row.opencount << "/" << row.shownext << ": counted either way";
    }
}

TEST(SkinConfigDialog, ConfirmedWithNoModeCheckedTheRecordTakesRenderMinusOne)
{
    DeviceConfig config = {};
    config.render = 7;  // no mode button stands for it: the window opens with none checked
    config.opencount = 2;
    config.shownext = 1;
    g_hWndStartUpWindow = nullptr;
    const UINT_PTR finder = SetTimer(nullptr, 0, 10, LookForSkinnedWindow);
    HWND& hWnd = g_hWndStartUpWindow;
    DialogScript script(&hWnd, {Do([&hWnd] { ClickButton(hWnd, D::IDC_SKIN_FULLSCREEN); }), Settle(),
                                Do([&hWnd] { ClickButton(hWnd, D::IDC_SKIN_OK); })});
    ApplyConfigWindowStep(config);
    KillTimer(nullptr, finder);
    EXPECT_TRUE(script.Finished()) << "the window ran";
    EXPECT_EQ(static_cast<int32_t>(RenderMode::None), config.render);
    EXPECT_EQ(1, config.fullscreen);
    EXPECT_EQ(3, config.opencount);
}
