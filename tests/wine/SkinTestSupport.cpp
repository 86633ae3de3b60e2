#include "tests/wine/SkinTestSupport.h"

#include "skin/SkinButton.h"
#include "skin/ToolTipWindow.h"

void PumpMessages(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed < 10 ? timeoutMs - elapsed : 10, QS_ALLINPUT);
    }
}

std::vector<RECT> RegionRects(HRGN hRgn)
{
    const DWORD size = GetRegionData(hRgn, 0, nullptr);
    std::vector<BYTE> buffer(size);
    if (!size || !GetRegionData(hRgn, size, reinterpret_cast<RGNDATA*>(buffer.data())))
        return {};
    const auto* data = reinterpret_cast<const RGNDATA*>(buffer.data());
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(rects, rects + data->rdh.nCount);
}

std::vector<RECT> WindowRegionRects(HWND hWnd, bool* hasRegion)
{
    HRGN hRgn = CreateRectRgn(0, 0, 0, 0);
    const int type = GetWindowRgn(hWnd, hRgn);
    if (hasRegion)
        *hasRegion = type != ERROR;
    std::vector<RECT> rects = type == ERROR ? std::vector<RECT>() : RegionRects(hRgn);
    DeleteObject(hRgn);
    return rects;
}

bool SameRegion(HRGN a, HRGN b)
{
    const std::vector<RECT> ra = RegionRects(a);
    const std::vector<RECT> rb = RegionRects(b);
    if (!EqualRgn(a, b) || ra.size() != rb.size())
        return false;
    for (size_t i = 0; i < ra.size(); ++i)
        if (!EqualRect(&ra[i], &rb[i]))
            return false;
    return true;
}

CBitmap MakeBitmap(int width, int height, const std::vector<COLORREF>& pixels)
{
    std::vector<DWORD> bits(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        bits[i] = RGB(GetBValue(pixels[i]), GetGValue(pixels[i]), GetRValue(pixels[i]));  // 0x00RRGGBB
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    CBitmap bitmap;
    bitmap.Attach(CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bits.data(), &info, DIB_RGB_COLORS));
    ReleaseDC(nullptr, screen);
    return bitmap;
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

BOOL RelayWnd::Create(int x, int y, int width, int height, UINT classStyle)
{
    return CreateEx(0, AfxRegisterWndClass(classStyle), "relay", WS_POPUP | WS_VISIBLE, x, y, width, height,
                    nullptr, nullptr);
}

void RelayWnd::EraseBackground(HDC hDC)
{
    RECT rect;
    GetClientRect(&rect);
    if (!background) {
        HBRUSH brush = CreateSolidBrush(kBackground);
        FillRect(hDC, &rect, brush);
        DeleteObject(brush);
        return;
    }
    HDC memDC = CreateCompatibleDC(hDC);
    HGDIOBJ old = SelectObject(memDC, background->GetSafeHandle());
    BitBlt(hDC, 0, 0, rect.right, rect.bottom, memDC, 0, 0, SRCCOPY);
    SelectObject(memDC, old);
    DeleteDC(memDC);
}

LRESULT RelayWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        EraseBackground(reinterpret_cast<HDC>(wParam));
    for (SkinButton* button : buttons)
        button->HandleMessage(message, wParam, lParam);
    for (ToolTipWindow* tip : tips)
        tip->HandleOwnerMessage(message, wParam, lParam);
    if (message >= WM_USER && message < 0x8000)
        notifications.emplace_back(message, wParam);
    if (message == WM_ERASEBKGND)
        return TRUE;
    return CWnd::WindowProc(message, wParam, lParam);
}

void SendMouse(CWnd& wnd, UINT message, int x, int y)
{
    wnd.PostMessage(message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    PumpMessages(0);
}
