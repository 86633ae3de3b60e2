// SkinButton under real messages: the state tables of the three kinds, capture, posted
// notifications, pixels drawn through the transparent colour, and GDI objects.
#include "skin/ColorKeyRegion.h"
#include "skin/SkinButton.h"
#include "tests/wine/GdiObjectCounter.h"
#include "tests/wine/MessagePump.h"
#include "tests/wine/RelayWnd.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kOk = 1025;
constexpr UINT kCheck = 1026;
constexpr UINT kRadio = 1028;
constexpr COLORREF kOkTransparent = RGB(236, 0, 140);
constexpr COLORREF kCheckTransparent = RGB(237, 19, 90);
constexpr COLORREF kRadioTransparent = RGB(240, 110, 170);
constexpr COLORREF kPaint = RGB(1, 2, 3);

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wnd.Create(600, 500, 300, 200, CS_DBLCLKS));
        ok.Init(&wnd, 20, 30, 79, 26, SkinButtonPush, kOk);
        ok.SetTransparentColor(kOkTransparent);
        ok.SetBitmaps(2013, 2012, 2011, 2014);
        check.Init(&wnd, 20, 80, 120, 24, SkinButtonCheck, kCheck);
        check.SetTransparentColor(kCheckTransparent);
        check.SetBitmaps(2020, 2020, 2027, 2023);
        radio.Init(&wnd, 160, 80, 100, 24, SkinButtonRadio, kRadio);
        radio.SetTransparentColor(kRadioTransparent);
        radio.SetBitmaps(2021, 2021, 2026, 2021);
        wnd.buttons = {&ok, &check, &radio};
        PumpUntil([] { return GetQueueStatus(QS_ALLINPUT) == 0; });  // the creation's messages handled
        wnd.notifications.clear();
    }
    void TearDown() override { ReleaseCapture(); }

    // Every pixel of the state bitmap where it lies on the window: the bitmap's colour,
    // or what was there before where the bitmap has the transparent colour.
    ::testing::AssertionResult ShowsBitmap(int x, int y, UINT bitmapId, COLORREF transparent, COLORREF under)
    {
        CBitmap bitmap;
        if (!LoadSkinBitmap(bitmap, bitmapId))
            return ::testing::AssertionFailure() << "no bitmap " << bitmapId;
        BITMAP info = {};
        bitmap.GetBitmap(&info);
        CDC memDC;
        memDC.CreateCompatibleDC(nullptr);
        CSelectObject select(memDC, bitmap.GetSafeHandle());
        CWindowDC windowDC(wnd);
        int wrong = 0, transparentSeen = 0;
        std::string first;
        for (int py = 0; py < info.bmHeight; ++py)
            for (int px = 0; px < info.bmWidth; ++px) {
                const COLORREF image = memDC.GetPixel(px, py);
                const COLORREF expected = image == transparent ? under : image;
                transparentSeen += image == transparent;
                const COLORREF seen = windowDC.GetPixel(x + px, y + py);
                if (seen != expected && wrong++ == 0)
                    first = "(" + std::to_string(px) + "," + std::to_string(py) + ") seen " + std::to_string(seen) +
                            " expected " + std::to_string(expected);
            }
        if (wrong || !transparentSeen)
            return ::testing::AssertionFailure() << "bitmap " << bitmapId << ": " << wrong << " wrong pixels, first "
                                                 << first << "; transparent pixels " << transparentSeen;
        return ::testing::AssertionSuccess();
    }

    // A relayed erase whose DC is not the window's: the buttons draw on the window anyway.
    void EraseWithOtherDC()
    {
        CDC memDC;
        memDC.CreateCompatibleDC(nullptr);
        wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memDC.GetSafeHdc()));
    }

    void PaintOver(int x, int y, int w, int h)
    {
        CWindowDC windowDC(wnd);
        RECT rect = {x, y, x + w, y + h};
        CGdiObject brush;
        brush.Attach(CreateSolidBrush(kPaint));
        FillRect(windowDC, &rect, static_cast<HBRUSH>(brush.GetSafeHandle()));
    }

    COLORREF WindowPixel(int x, int y)
    {
        return CWindowDC(wnd).GetPixel(x, y);
    }

    RelayWnd wnd;
    SkinButton ok, check, radio;
};

}  // namespace

TEST_F(SkinButtonTest, HitRectangleExcludesRightAndBottomEdges)
{
    const struct {
        POINT pt;
        BOOL inside;
    } rows[] = {{{20, 30}, TRUE}, {{98, 55}, TRUE}, {{99, 40}, FALSE}, {{50, 56}, FALSE}, {{19, 40}, FALSE}};
    for (const auto& row : rows)
        EXPECT_EQ(row.inside, ok.HitTest(row.pt)) << row.pt.x << "," << row.pt.y;
}

TEST_F(SkinButtonTest, PushReleasedInsideAfterLeavingAndComingBack)
{
    SendMouse(wnd, WM_MOUSEMOVE, 30, 40);
    EXPECT_EQ(SkinButtonHover, ok.GetState());
    SendMouse(wnd, WM_LBUTTONDOWN, 30, 40);
    EXPECT_EQ(SkinButtonDown, ok.GetState());
    EXPECT_EQ(wnd.m_hWnd, GetCapture()) << "the parent holds the capture while the press is tracked";
    SendMouse(wnd, WM_MOUSEMOVE, 200, 150);
    EXPECT_EQ(SkinButtonNormal, ok.GetState()) << "out while pressed";
    SendMouse(wnd, WM_MOUSEMOVE, 31, 41);
    EXPECT_EQ(SkinButtonDown, ok.GetState()) << "back in while pressed";
    EXPECT_TRUE(wnd.notifications.empty()) << wnd.notifications.size() << " notifications before the release";
    SendMouse(wnd, WM_LBUTTONUP, 31, 41);
    EXPECT_EQ(SkinButtonHover, ok.GetState());
    EXPECT_EQ(nullptr, GetCapture()) << "released with the button";
    ASSERT_EQ(1u, wnd.notifications.size());
    EXPECT_EQ(kOk, wnd.notifications[0].first);
    EXPECT_EQ(0u, wnd.notifications[0].second);
    EXPECT_TRUE(ShowsBitmap(20, 30, 2012, kOkTransparent, RelayWnd::kBackground)) << "hover look";
}

TEST_F(SkinButtonTest, PushReleasedOutsidePostsNothing)
{
    SendMouse(wnd, WM_LBUTTONDOWN, 30, 40);
    EXPECT_TRUE(ShowsBitmap(20, 30, 2011, kOkTransparent, RelayWnd::kBackground)) << "down look";
    SendMouse(wnd, WM_MOUSEMOVE, 250, 180);
    SendMouse(wnd, WM_LBUTTONUP, 250, 180);
    EXPECT_EQ(SkinButtonNormal, ok.GetState());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(wnd.notifications.empty()) << wnd.notifications.size() << " notifications";
    SendMouse(wnd, WM_LBUTTONUP, 30, 40);
    EXPECT_TRUE(wnd.notifications.empty()) << "a release without a press posts nothing";
    EXPECT_EQ(SkinButtonHover, ok.GetState());
}

namespace {

constexpr char kBoxTitle[] = "skin button test box";

void CALLBACK CloseTestBox(HWND, UINT, UINT_PTR, DWORD)
{
    if (HWND hBox = FindWindowA(nullptr, kBoxTitle))
        PostMessageA(hBox, WM_CLOSE, 0, 0);
}

}  // namespace

// The release of a press whose capture is taken away never reaches the parent: the button
// goes up at once, and a release that comes later clicks nothing.
TEST_F(SkinButtonTest, PushLosingTheCaptureEndsThePressWithoutAClick)
{
    const struct {
        const char* name;
        void (*takeAway)(HWND hWndParent);
    } rows[] = {
        {"another window's capture",
         [](HWND) {
             RelayWnd other;
             ASSERT_TRUE(other.Create(0, 0, 50, 50));
             ::SetCapture(other.m_hWnd);
         }},
        {"a message box over the parent",
         [](HWND hWndParent) {
             const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseTestBox);
             MessageBoxA(hWndParent, "taken", kBoxTitle, MB_OKCANCEL);
             KillTimer(nullptr, timer);
         }},
    };
    for (const auto& row : rows) {
        SendMouse(wnd, WM_LBUTTONDOWN, 30, 40);
        ASSERT_EQ(wnd.m_hWnd, GetCapture()) << row.name;
        row.takeAway(wnd.m_hWnd);
        EXPECT_EQ(SkinButtonNormal, ok.GetState()) << row.name;
        EXPECT_FALSE(ok.IsTracking()) << row.name;
        SendMouse(wnd, WM_LBUTTONUP, 30, 40);
        EXPECT_TRUE(wnd.notifications.empty()) << row.name << ": the late release clicked";
    }
}

TEST_F(SkinButtonTest, CheckBoxTogglesOncePerPress)
{
    const WPARAM expected[] = {1, 0, 1};
    for (WPARAM wParam : expected) {
        SendMouse(wnd, WM_LBUTTONDOWN, 30, 90);
        SendMouse(wnd, WM_LBUTTONUP, 30, 90);
        EXPECT_EQ(wParam != 0, check.IsChecked() != FALSE);
    }
    ASSERT_EQ(3u, wnd.notifications.size()) << "one per press, none per release";
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(kCheck, wnd.notifications[i].first) << i;
        EXPECT_EQ(expected[i], wnd.notifications[i].second) << i;
    }
    SendMouse(wnd, WM_LBUTTONDBLCLK, 30, 90);
    EXPECT_TRUE(check.IsChecked()) << "a double-click message does not toggle";
    SendMouse(wnd, WM_MOUSEMOVE, 250, 180);
    SendMouse(wnd, WM_MOUSEMOVE, 30, 90);
    EXPECT_EQ(SkinButtonDown, check.GetState()) << "checked stays down under the cursor";
    EXPECT_TRUE(ShowsBitmap(20, 80, 2027, kCheckTransparent, RelayWnd::kBackground)) << "checked look";
    EXPECT_EQ(nullptr, GetCapture()) << "check boxes take no capture";
}

TEST_F(SkinButtonTest, RadioPostsOnlyWhenItBecomesChecked)
{
    SendMouse(wnd, WM_MOUSEMOVE, 170, 90);
    EXPECT_EQ(SkinButtonHover, radio.GetState());
    SendMouse(wnd, WM_LBUTTONDOWN, 170, 90);
    SendMouse(wnd, WM_LBUTTONDOWN, 170, 90);
    ASSERT_EQ(1u, wnd.notifications.size()) << "the second press finds it checked";
    EXPECT_EQ(kRadio, wnd.notifications[0].first);
    EXPECT_EQ(1u, wnd.notifications[0].second);
    EXPECT_TRUE(radio.IsChecked());
    radio.SetChecked(FALSE);
    EXPECT_EQ(SkinButtonNormal, radio.GetState());
    EXPECT_TRUE(ShowsBitmap(160, 80, 2021, kRadioTransparent, RelayWnd::kBackground)) << "unchecked look";
}

TEST_F(SkinButtonTest, DisabledIgnoresTheMouseButIsDrawnOnErase)
{
    check.SetChecked(TRUE);
    check.SetEnabled(FALSE);
    EXPECT_FALSE(check.IsChecked()) << "disabling loses the check";
    SendMouse(wnd, WM_LBUTTONDOWN, 30, 90);
    check.SetChecked(TRUE);
    EXPECT_EQ(SkinButtonDisabled, check.GetState());
    EXPECT_TRUE(wnd.notifications.empty()) << wnd.notifications.size() << " notifications";
    PaintOver(20, 80, 24, 24);
    EraseWithOtherDC();
    EXPECT_TRUE(ShowsBitmap(20, 80, 2023, kCheckTransparent, kPaint)) << "disabled look over what was there";
    check.SetEnabled(TRUE);
    EXPECT_EQ(SkinButtonNormal, check.GetState()) << "enabled again, unchecked";
}

TEST_F(SkinButtonTest, SameValueDoesNotRedraw)
{
    const struct {
        const char* name;
        void (*change)(SkinButton&);
        bool redraws;
    } rows[] = {
        {"uncheck an unchecked box", [](SkinButton& b) { b.SetChecked(FALSE); }, false},
        {"enable an enabled box", [](SkinButton& b) { b.SetEnabled(TRUE); }, false},
        {"check it", [](SkinButton& b) { b.SetChecked(TRUE); }, true},
        {"check it again", [](SkinButton& b) { b.SetChecked(TRUE); }, false},
        {"disable it", [](SkinButton& b) { b.SetEnabled(FALSE); }, true},
        {"disable it again", [](SkinButton& b) { b.SetEnabled(FALSE); }, false},
    };
    for (const auto& row : rows) {
        PaintOver(20, 80, 24, 24);
        row.change(check);
        EXPECT_EQ(row.redraws, WindowPixel(32, 92) != kPaint) << row.name;
    }
}

TEST_F(SkinButtonTest, MissingBitmapDrawsNothing)
{
    SkinButton blank;
    blank.Init(&wnd, 200, 150, 24, 24, SkinButtonPush, 1100);
    blank.SetBitmaps(9999, 9999, 9999, 9999);
    PaintOver(200, 150, 24, 24);
    blank.SetState(SkinButtonHover, TRUE);
    EXPECT_EQ(kPaint, WindowPixel(210, 160));
}

TEST_F(SkinButtonTest, DrawingLeavesNoGdiObject)
{
    GdiObjectCounter counter;
    ASSERT_TRUE(GdiObjectCounter::Installed());
    const size_t before = counter.Live();
    for (int i = 0; i < 20; ++i) {
        SendMouse(wnd, WM_MOUSEMOVE, 30, 40);
        SendMouse(wnd, WM_LBUTTONDOWN, 30, 90);
        EraseWithOtherDC();
        SendMouse(wnd, WM_MOUSEMOVE, 250, 180);
    }
    EXPECT_EQ(before, counter.Live()) << "GDI objects or DCs created by drawing and not released";
}
