#include "skin/SkinButton.h"

#include "skin/ColorKeyRegion.h"

#include <windowsx.h>

SkinButton::SkinButton() : m_pCurrentBitmap(&m_bitmaps[SkinButtonNormal]) {}

void SkinButton::Init(CWnd* pParent, int x, int y, int nWidth, int nHeight, BYTE nKind, UINT nId)
{
    m_pParent = pParent;
    m_nLeft = x;
    m_nTop = y;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nKind = nKind;
    m_nId = nId;
}

void SkinButton::SetBitmaps(UINT nNormal, UINT nHover, UINT nDown, UINT nDisabled)
{
    const UINT ids[] = {nNormal, nHover, nDown, nDisabled};
    for (int i = 0; i < 4; ++i)
        LoadSkinBitmap(m_bitmaps[i], ids[i]);
}

void SkinButton::HandleMessage(UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        Redraw();
        return;
    }
    if (m_nState == SkinButtonDisabled || m_nKind > SkinButtonRadio)
        return;
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(pt);
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(pt);
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(pt);
        break;
    case WM_CAPTURECHANGED:
        // lParam is the window that now has the capture: the parent taking it again keeps the press.
        if (!m_pParent || reinterpret_cast<HWND>(lParam) != m_pParent->GetSafeHwnd())
            OnCaptureLost();
        break;
    case WM_CANCELMODE:
        OnCaptureLost();
        break;
    default:
        break;
    }
}

BOOL SkinButton::HitTest(POINT pt) const
{
    const RECT rect = {m_nLeft, m_nTop, m_nLeft + m_nWidth, m_nTop + m_nHeight};
    return PtInRect(&rect, pt);
}

void SkinButton::OnMouseMove(POINT pt)
{
    const BOOL inside = HitTest(pt);
    if (m_nKind == SkinButtonPush) {
        const BYTE wanted = !inside ? SkinButtonNormal : m_bTracking ? SkinButtonDown : SkinButtonHover;
        if (m_nState != wanted)
            SetState(wanted, TRUE);
    } else if (inside && m_nState == SkinButtonNormal) {
        SetState(SkinButtonHover, TRUE);
    } else if (!inside && m_nState == SkinButtonHover) {
        SetState(SkinButtonNormal, TRUE);
    }
}

void SkinButton::OnLButtonDown(POINT pt)
{
    if (!HitTest(pt))
        return;
    if (m_nKind == SkinButtonPush) {
        m_bTracking = TRUE;
        if (m_pParent)
            ::SetCapture(m_pParent->GetSafeHwnd());
        SetState(SkinButtonDown, TRUE);
    } else if (m_nKind == SkinButtonCheck) {
        SetState(IsChecked() ? SkinButtonHover : SkinButtonDown, TRUE);
        Notify(IsChecked() ? 1 : 0);
    } else if (!IsChecked()) {
        SetChecked(TRUE);
        Notify(1);
    }
}

void SkinButton::OnLButtonUp(POINT pt)
{
    if (m_nKind != SkinButtonPush)
        return;
    const BOOL inside = HitTest(pt);
    if (m_bTracking) {
        m_bTracking = FALSE;  // first: releasing sends WM_CAPTURECHANGED back to the parent
        ReleaseCapture();
        if (inside)
            Notify(0);
    }
    if (inside)
        SetState(SkinButtonHover, TRUE);
}

// A message box, a window switch or another window's SetCapture took the mouse away: the
// release will not come to the parent, so the press ends here and clicks nothing.
void SkinButton::OnCaptureLost()
{
    if (!m_bTracking)
        return;
    m_bTracking = FALSE;
    SetState(SkinButtonNormal, TRUE);
}

void SkinButton::Notify(WPARAM wParam)
{
    if (m_pParent)
        ::PostMessageA(m_pParent->GetSafeHwnd(), m_nId, wParam, 0);
}

void SkinButton::SetState(BYTE nState, BOOL bRedraw)
{
    if (nState > SkinButtonDisabled)
        return;
    m_nState = nState;
    m_pCurrentBitmap = &m_bitmaps[nState];
    if (bRedraw)
        Redraw();
}

void SkinButton::Redraw()
{
    if (!m_pParent || !m_pParent->GetSafeHwnd())
        return;
    CWindowDC dc(m_pParent->GetSafeHwnd());
    if (dc.GetSafeHdc())
        Draw(&dc);
}

void SkinButton::Draw(CDC* pDC)
{
    BITMAP info = {};
    if (!pDC || !m_pCurrentBitmap->GetBitmap(&info))
        return;  // a missing state bitmap draws nothing
    const int w = info.bmWidth;
    const int h = info.bmHeight;
    CColorScope colors(*pDC, RGB(255, 255, 255), RGB(0, 0, 0));
    CDC imageDC;
    CDC maskDC;
    CBitmap mask;
    if (!imageDC.CreateCompatibleDC(pDC) || !maskDC.CreateCompatibleDC(pDC) || !mask.CreateBitmap(w, h, 1, 1, nullptr))
        return;
    CSelectObject selectImage(imageDC, m_pCurrentBitmap->GetSafeHandle());
    CSelectObject selectMask(maskDC, mask.GetSafeHandle());
    imageDC.SetBkColor(m_crTransparent);
    maskDC.BitBlt(0, 0, w, h, &imageDC, 0, 0, SRCCOPY);
    pDC->BitBlt(m_nLeft, m_nTop, w, h, &imageDC, 0, 0, SRCINVERT);
    pDC->BitBlt(m_nLeft, m_nTop, w, h, &maskDC, 0, 0, SRCAND);
    pDC->BitBlt(m_nLeft, m_nTop, w, h, &imageDC, 0, 0, SRCINVERT);
}

BOOL SkinButton::IsChecked() const
{
    return (m_nKind == SkinButtonCheck || m_nKind == SkinButtonRadio) && m_nState == SkinButtonDown;
}

void SkinButton::SetChecked(BOOL bChecked)
{
    if (m_nState == SkinButtonDisabled)
        return;
    if (bChecked ? m_nState == SkinButtonDown : m_nState != SkinButtonDown)
        return;
    SetState(bChecked ? SkinButtonDown : SkinButtonNormal, TRUE);
}

void SkinButton::SetEnabled(BOOL bEnabled)
{
    if (!bEnabled == !IsEnabled())
        return;
    SetState(bEnabled ? SkinButtonNormal : SkinButtonDisabled, TRUE);
}
