#include "skin/ToolTipWindow.h"

#include "skin/ColorKeyRegion.h"

#include <windowsx.h>

namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

}  // namespace

BEGIN_MESSAGE_MAP(ToolTipWindow, CWnd)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_MESSAGE(WM_PAINT, OnPaint)
END_MESSAGE_MAP()

BOOL ToolTipWindow::Create(CWnd* pOwner, int x, int y, int nWidth, int nHeight, UINT nBitmapId)
{
    m_nHotX = x;
    m_nHotY = y;
    m_nHotWidth = nWidth;
    m_nHotHeight = nHeight;
    LoadSkinBitmap(m_bitmap, nBitmapId);
    m_pOwner = pOwner;
    BITMAP info = {};
    if (!m_bitmap.GetBitmap(&info))
        return FALSE;  // no size to create or shape the tip with
    m_nBitmapHeight = info.bmHeight;
    m_nBitmapWidth = info.bmWidth;
    return CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), "ZRKToolTip", WS_POPUP, 0, 0, m_nBitmapWidth,
                    m_nBitmapHeight, nullptr, nullptr);
}

void ToolTipWindow::HandleOwnerMessage(UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        if (m_hWnd && ::IsWindow(m_hWnd))
            DestroyWindow();
    } else if (message == WM_MOUSEMOVE) {
        TrackCursor(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    }
}

BOOL ToolTipWindow::HitTest(int x, int y) const
{
    const RECT rect = {m_nHotX, m_nHotY, m_nHotX + m_nHotWidth, m_nHotY + m_nHotHeight};
    return PtInRect(&rect, POINT{x, y});
}

void ToolTipWindow::TrackCursor(int x, int y)
{
    if (!m_hWnd)
        return;  // never created or already destroyed: inert
    if (HitTest(x, y)) {
        if (!IsWindowVisible() && !m_bTimerRunning)
            m_bTimerRunning = SetTimer(kShowTimerId, m_nShowDelay) != 0;
        return;
    }
    if (IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        ReleaseCapture();
    }
    StopTimer();
}

void ToolTipWindow::StopTimer()
{
    if (m_bTimerRunning) {
        KillTimer(kShowTimerId);
        m_bTimerRunning = FALSE;
    }
}

LRESULT ToolTipWindow::OnTimer(WPARAM wParam, LPARAM)
{
    if (wParam == kShowTimerId && !IsWindowVisible()) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        SetWindowPos(&wndTopMost, cursor.x + m_nOffsetX, cursor.y + m_nOffsetY, m_nBitmapWidth, m_nBitmapHeight,
                     SWP_NOSIZE);
        if (m_pOwner && m_pOwner->GetSafeHwnd())
            m_pOwner->SetCapture();
        ShowWindow(SW_SHOWNORMAL);
    }
    return Default();
}

LRESULT ToolTipWindow::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    CDC* pDC = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
    // Rebuilt on every erase: the tip is painted only while it shows.
    ApplyColorKeyRegion(this, pDC, m_bitmap);
    ApplyLayeredAlpha();
    if (!pDC)
        return TRUE;
    RECT rect = {};
    GetWindowRect(&rect);
    CDC memDC;
    if (memDC.CreateCompatibleDC(pDC)) {
        CSelectObject select(memDC, m_bitmap.GetSafeHandle());
        pDC->BitBlt(0, 0, rect.right - rect.left, rect.bottom - rect.top, &memDC, 0, 0, SRCCOPY);
    }
    return TRUE;
}

LRESULT ToolTipWindow::OnPaint(WPARAM, LPARAM)
{
    CPaintDC dc(this);  // BeginPaint erases, which draws the tip
    return 0;
}

void ToolTipWindow::ApplyLayeredAlpha()
{
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, ::GetWindowLongA(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    // Looked up at run time: the library imports nothing that older systems lack.
    HMODULE user32 = LoadLibraryA("User32.dll");
    if (!user32)
        return;
    auto setAttributes =
        reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    if (setAttributes)
        setAttributes(m_hWnd, 0, static_cast<BYTE>(m_nAlpha & 0xFF), LWA_ALPHA);
    FreeLibrary(user32);
}
