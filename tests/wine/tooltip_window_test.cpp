// ToolTipWindow under real messages: attributes, delay, position, capture, hiding on
// the hot rectangle's edges, alpha, the relayed WM_DESTROY, a missing image, GDI count.
#include "skin/ColorKeyRegion.h"
#include "skin/ToolTipWindow.h"
#include "tests/wine/GdiObjectCounter.h"
#include "tests/wine/MessagePump.h"
#include "tests/wine/Pixels.h"
#include "tests/wine/RelayWnd.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kTipImage = 2016;  // 230 x 58

using GetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);

class ToolTipWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.Create(kOwnerX, kOwnerY, 400, 300));
        ASSERT_TRUE(tip.Create(&owner, 163, 258, 100, 24, kTipImage));
        tip.SetAlpha(220);
        tip.SetShowDelay(100);
        owner.tips = {&tip};
        s_hHook = SetWindowsHookExA(WH_GETMESSAGE, RecordMove, nullptr, GetCurrentThreadId());
        MoveTo(-50, -50);
        PumpMessages(20);
    }

    // Moves the real cursor to the owner's client point and relays that move: the system
    // sends its own moves too (when the capture changes), and they must agree. The
    // system's move comes through the X server: it is awaited, so that a late one cannot
    // land after the relayed move.
    void MoveTo(int x, int y)
    {
        SetCursorPos(kOwnerX + x, kOwnerY + y);
        POINT target;
        GetCursorPos(&target);
        RECT rect;
        owner.GetWindowRect(&rect);
        if (GetCapture() == owner.m_hWnd || PtInRect(&rect, target))
            PumpUntil([&] { return s_lastMove.x == target.x && s_lastMove.y == target.y; }, 1000);
        SendMouse(owner, WM_MOUSEMOVE, x, y);
    }

    // The screen point of the last mouse move this thread took from its queue.
    static LRESULT CALLBACK RecordMove(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_MOUSEMOVE)
            s_lastMove = msg->pt;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline HHOOK s_hHook = nullptr;
    static inline POINT s_lastMove = {};

    static constexpr int kOwnerX = 0;
    static constexpr int kOwnerY = 480;
    void TearDown() override
    {
        ReleaseCapture();
        UnhookWindowsHookEx(s_hHook);
    }

    bool Shown() { return PumpUntil([this] { return tip.IsWindowVisible() != FALSE; }); }

    // Pumps until a timer of the show delay, set now, has fired: a show timer set before
    // and still running would have been dispatched first, however slow the machine.
    static bool PumpOneShowDelay(UINT delay)
    {
        s_delayPassed = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, delay, DelayPassed);
        const bool passed = PumpUntil([] { return s_delayPassed; }, 10000);
        KillTimer(nullptr, timer);
        return passed;
    }
    static void CALLBACK DelayPassed(HWND, UINT, UINT_PTR, DWORD) { s_delayPassed = true; }
    static inline bool s_delayPassed = false;

    RelayWnd owner;
    ToolTipWindow tip;
};

}  // namespace

TEST_F(ToolTipWindowTest, CreatedHiddenWithItsAttributes)
{
    ASSERT_TRUE(IsWindow(tip));
    char name[32] = {};
    GetWindowTextA(tip, name, sizeof name);
    EXPECT_STREQ("ZRKToolTip", name);
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP), tip.GetStyle() & ~WS_CLIPSIBLINGS) << std::hex << tip.GetStyle();
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOOLWINDOW), tip.GetExStyle()) << std::hex << tip.GetExStyle();
    EXPECT_EQ(nullptr, GetParent(tip));
    char className[128] = {};  // four pointers in hex on 64-bit
    GetClassNameA(tip, className, sizeof className);
    WNDCLASSA wc = {};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), className, &wc)) << className;
    EXPECT_EQ(0u, wc.style);
    EXPECT_EQ(nullptr, wc.hCursor);
    EXPECT_EQ(nullptr, wc.hbrBackground);
    RECT rect;
    tip.GetWindowRect(&rect);
    EXPECT_EQ(230, rect.right - rect.left);
    EXPECT_EQ(58, rect.bottom - rect.top);
    EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(ToolTipWindowTest, ShowsAfterTheDelayBelowTheCursorAndHoldsCapture)
{
    MoveTo(170, 262);
    EXPECT_FALSE(tip.IsWindowVisible()) << "not before the delay";
    ASSERT_TRUE(Shown());
    POINT cursor;
    GetCursorPos(&cursor);
    RECT rect;
    tip.GetWindowRect(&rect);
    EXPECT_EQ(kOwnerX + 170, cursor.x);
    EXPECT_EQ(cursor.x, rect.left);
    EXPECT_EQ(cursor.y + 24, rect.top);
    EXPECT_EQ(owner.m_hWnd, GetCapture()) << "the owner holds the capture while the tip shows";
    EXPECT_TRUE(GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);

    MoveTo(210, 262);
    ASSERT_TRUE(PumpOneShowDelay(100)) << "a show the move started again would have come by now";
    RECT still;
    tip.GetWindowRect(&still);
    EXPECT_TRUE(EqualRect(&rect, &still)) << "the tip does not follow the cursor: " << still.left;
    EXPECT_TRUE(tip.IsWindowVisible());
}

TEST_F(ToolTipWindowTest, ShownTipIsLayeredShapedAndTranslucent)
{
    MoveTo(170, 262);
    ASSERT_TRUE(Shown());
    PumpMessages(50);
    EXPECT_TRUE(tip.GetExStyle() & WS_EX_LAYERED) << std::hex << tip.GetExStyle();
    auto getAttributes = reinterpret_cast<GetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetLayeredWindowAttributes")));
    ASSERT_NE(nullptr, getAttributes);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(getAttributes(tip, nullptr, &alpha, &flags));
    EXPECT_EQ(220, alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
    CBitmap image;
    ASSERT_TRUE(LoadSkinBitmap(image, kTipImage));
    CRgn expected, actual;
    expected.Attach(BuildColorKeyRegion(nullptr, image));
    actual.CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(tip, actual));
    EXPECT_TRUE(SameRegion(expected, actual)) << "the window is cut to the image";
    EXPECT_FALSE(PtInRegion(actual, 0, 0)) << "the key corner shows through";
}

TEST_F(ToolTipWindowTest, LeavingHidesAndReleasesCapture)
{
    const struct {
        const char* name;
        int x, y;
    } exits[] = {
        {"right edge", 263, 262}, {"bottom edge", 170, 282}, {"negative coordinates", -5, -30}, {"left", 162, 262}};
    for (const auto& exit : exits) {
        MoveTo(170, 262);
        ASSERT_TRUE(Shown()) << exit.name;
        MoveTo(exit.x, exit.y);
        EXPECT_FALSE(tip.IsWindowVisible()) << exit.name;
        EXPECT_EQ(nullptr, GetCapture()) << exit.name;
        ASSERT_TRUE(PumpOneShowDelay(100)) << exit.name;
        EXPECT_FALSE(tip.IsWindowVisible()) << exit.name << ": the timer was stopped";
    }
}

TEST_F(ToolTipWindowTest, LeavingBeforeTheDelayCancels)
{
    // Times are measured, not assumed: a slow machine only lengthens the pumps, and a
    // timer never fires early.
    const DWORD kDelay = 600;
    tip.SetShowDelay(kDelay);
    MoveTo(170, 262);
    const DWORD entered = GetTickCount();
    PumpMessages(100);
    MoveTo(10, 10);
    ASSERT_LT(GetTickCount() - entered, kDelay) << "the machine stalled longer than the delay";
    ASSERT_TRUE(PumpOneShowDelay(kDelay));
    EXPECT_FALSE(tip.IsWindowVisible()) << "cancelled: the timer would have been dispatched by now";
    MoveTo(170, 262);
    const DWORD reentered = GetTickCount();
    ASSERT_TRUE(Shown());
    EXPECT_GE(GetTickCount() - reentered, kDelay - 20) << "re-entering starts a full delay";
}

TEST_F(ToolTipWindowTest, RelayedDestroyEndsTheWindowOnce)
{
    HWND hWnd = tip.m_hWnd;
    owner.SendMessage(WM_DESTROY);  // the relay, as the owner's destruction sends it
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, tip.m_hWnd);
    const int windows = CountThreadWindows();
    tip.HandleOwnerMessage(WM_DESTROY, 0, 0);
    tip.TrackCursor(170, 262);
    ASSERT_TRUE(PumpOneShowDelay(100));
    EXPECT_EQ(nullptr, tip.m_hWnd) << "a destroyed tip stays inert";
    EXPECT_EQ(windows, CountThreadWindows()) << "no window made again";
    EXPECT_NE(owner.m_hWnd, GetCapture()) << "no capture taken for a tip that is gone";
}

TEST_F(ToolTipWindowTest, MissingImageLeavesTheTipUncreatedAndInert)
{
    ToolTipWindow missing;
    EXPECT_FALSE(missing.Create(&owner, 0, 0, 50, 50, 9999));
    EXPECT_EQ(nullptr, missing.m_hWnd);
    missing.TrackCursor(10, 10);
    missing.HandleOwnerMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    missing.HandleOwnerMessage(WM_DESTROY, 0, 0);
    ASSERT_TRUE(PumpOneShowDelay(1)) << "the default show delay";
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(missing.HitTest(10, 10)) << "the hot rectangle is still stored";
}

TEST_F(ToolTipWindowTest, RepeatedShowingsLeaveNoGdiObject)
{
    GdiObjectCounter counter;
    ASSERT_TRUE(GdiObjectCounter::Installed());
    const size_t before = counter.Live();
    tip.SetShowDelay(1);
    for (int i = 0; i < 5; ++i) {
        MoveTo(170, 262);
        ASSERT_TRUE(Shown()) << i;
        RedrawWindow(tip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        MoveTo(10, 10);
    }
    EXPECT_EQ(before, counter.Live()) << "GDI objects or DCs left by showing the tip";
}
