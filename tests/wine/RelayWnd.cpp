#include "tests/wine/RelayWnd.h"

#include "framework/CDC.h"
#include "skin/SkinButton.h"
#include "skin/ToolTipWindow.h"

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
        CGdiObject brush;
        brush.Attach(CreateSolidBrush(kBackground));
        FillRect(hDC, &rect, static_cast<HBRUSH>(brush.GetSafeHandle()));
        return;
    }
    CDC memDC;
    memDC.CreateCompatibleDC(CDC::FromHandle(hDC));
    CSelectObject select(memDC, background->GetSafeHandle());
    BitBlt(hDC, 0, 0, rect.right, rect.bottom, memDC, 0, 0, SRCCOPY);
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
