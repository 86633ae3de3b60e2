// A window shaped by the client's background bitmap as the X server shows it: the corner
// in the key colour is cut away, the rest of the bitmap is drawn.
#include "framework/CDC.h"
#include "skin/ColorKeyRegion.h"
#include "tests/wine/MessagePump.h"
#include "tests/wine/Pixels.h"
#include "tests/wine/RelayWnd.h"

#include <gtest/gtest.h>

TEST(ShapedWindowOnScreen, KeyCornerIsCutAwayAndTheBackgroundDrawn)
{
    CBitmap background;
    ASSERT_TRUE(LoadSkinBitmap(background, 2010));
    COLORREF key = 0, drawn = 0;
    {
        // Deselected again before the window draws it: a bitmap is in one DC at a time.
        CDC memDC;
        ASSERT_TRUE(memDC.CreateCompatibleDC(nullptr));
        CSelectObject select(memDC, background.GetSafeHandle());
        key = memDC.GetPixel(0, 0);
        drawn = memDC.GetPixel(290, 100);
    }
    ASSERT_NE(key, drawn) << "the probe points differ in the bitmap";

    RelayWnd wnd;
    wnd.background = &background;
    ASSERT_TRUE(wnd.Create(222, 119, 580, 370));
    ApplyColorKeyRegionFromResource(&wnd, nullptr, 2010);
    wnd.Invalidate();
    UpdateWindow(wnd.m_hWnd);
    PumpUntil([&] { return ScreenPixel(222 + 290, 119 + 100) == drawn; });  // the screen has caught up
    EXPECT_EQ(drawn, ScreenPixel(222 + 290, 119 + 100)) << "the background is drawn";
    EXPECT_NE(key, ScreenPixel(222, 119)) << "the key corner is cut away";
}
