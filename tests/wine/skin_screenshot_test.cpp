// A window shaped by the background bitmap with the seven buttons in their states and a
// tooltip showing, saved as build/artifacts/skin_toolkit.bmp for people to look at.
#include "skin/ColorKeyRegion.h"
#include "skin/SkinButton.h"
#include "skin/ToolTipWindow.h"
#include "tests/wine/MessagePump.h"
#include "tests/wine/Pixels.h"
#include "tests/wine/RelayWnd.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct ButtonRow {
    UINT id;
    int x, y, w, h;
    BYTE kind;
    COLORREF transparent;
    UINT bitmaps[4];
};

const ButtonRow kButtons[] = {
    {1025, 486, 325, 79, 26, SkinButtonPush, RGB(236, 0, 140), {2013, 2012, 2011, 2013}},
    {1026, 14, 227, 120, 24, SkinButtonCheck, RGB(237, 19, 90), {2020, 2020, 2027, 2020}},
    {1027, 14, 260, 120, 24, SkinButtonCheck, RGB(237, 19, 90), {2020, 2020, 2027, 2023}},
    {1028, 163, 227, 100, 24, SkinButtonRadio, RGB(240, 110, 170), {2021, 2021, 2026, 2021}},
    {1030, 163, 260, 100, 24, SkinButtonRadio, RGB(240, 110, 170), {2021, 2021, 2026, 2021}},
    {1031, 306, 227, 100, 24, SkinButtonRadio, RGB(240, 110, 170), {2021, 2021, 2026, 2021}},
    {1029, 306, 258, 100, 24, SkinButtonRadio, RGB(240, 110, 170), {2021, 2021, 2026, 2021}},
};

// Writes the screen rectangle as a 24-bit BMP file.
bool SaveScreen(const RECT& area, const std::string& path)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const int stride = (w * 3 + 3) & ~3;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<size_t>(stride) * h, '\0');
    HDC screen = GetDC(nullptr);
    HDC memDC = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memDC, shot);
    BitBlt(memDC, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    SelectObject(memDC, old);
    const int lines = GetDIBits(memDC, shot, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(shot);
    DeleteDC(memDC);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + pixels.size()),
                             0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    WriteFileBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                             std::string(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER)) + pixels);
    return lines == h;
}

}  // namespace

TEST(SkinScreenshot, ShapedWindowWithButtonsInEachState)
{
    CBitmap background;
    ASSERT_TRUE(LoadSkinBitmap(background, 2010));
    RelayWnd wnd;
    wnd.background = &background;
    ASSERT_TRUE(wnd.Create(222, 119, 580, 370));
    ApplyColorKeyRegionFromResource(&wnd, nullptr, 2010);
    std::vector<std::unique_ptr<SkinButton>> buttons;
    for (const ButtonRow& row : kButtons) {
        buttons.push_back(std::make_unique<SkinButton>());
        SkinButton& button = *buttons.back();
        button.Init(&wnd, row.x, row.y, row.w, row.h, row.kind, row.id);
        button.SetTransparentColor(row.transparent);
        button.SetBitmaps(row.bitmaps[0], row.bitmaps[1], row.bitmaps[2], row.bitmaps[3]);
        wnd.buttons.push_back(&button);
    }
    ToolTipWindow tip;
    ASSERT_TRUE(tip.Create(&wnd, 163, 223, 100, 24, 2018));
    tip.SetAlpha(220);
    wnd.tips = {&tip};
    buttons[1]->SetChecked(TRUE);   // full screen checked
    buttons[2]->SetEnabled(FALSE);  // don't show again disabled
    buttons[3]->SetChecked(TRUE);   // automatic selected
    wnd.Invalidate();
    PumpMessages(100);
    SetCursorPos(222 + 180, 119 + 235);
    SendMouse(wnd, WM_MOUSEMOVE, 180, 235);  // over the selected radio: the tip comes
    ASSERT_TRUE(PumpUntil([&] { return tip.IsWindowVisible() != FALSE; }));
    SendMouse(wnd, WM_MOUSEMOVE, 500, 335);  // onto OK: hover look, the tip goes
    SendMouse(wnd, WM_MOUSEMOVE, 180, 235);
    ASSERT_TRUE(PumpUntil([&] { return tip.IsWindowVisible() != FALSE; }));
    buttons[0]->SetState(SkinButtonHover, TRUE);
    PumpMessages(200);

    EXPECT_NE(RGB(255, 0, 255), ScreenPixel(222, 119)) << "the key corner is cut away";
    HDC memDC = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memDC, background.GetSafeHandle());
    EXPECT_EQ(GetPixel(memDC, 290, 100), ScreenPixel(222 + 290, 119 + 100)) << "the background is drawn";
    SelectObject(memDC, old);
    DeleteDC(memDC);
    const std::string folder = BinDir() + "\\..\\..\\artifacts";
    MakeDirs(folder);
    EXPECT_TRUE(SaveScreen({0, 0, 1024, 768}, folder + "\\skin_toolkit.bmp"));
    ReleaseCapture();
}
