// A windowless image button drawn straight onto its parent: push button, check box or
// radio button, driven by the parent's relayed mouse messages; it reports a click by
// posting the message whose number is its ID to the parent.
#pragma once

#include "framework/CDC.h"
#include "framework/CGdiObject.h"
#include "framework/CWnd.h"

enum SkinButtonKind : BYTE { SkinButtonPush = 0, SkinButtonCheck = 1, SkinButtonRadio = 2 };

// Also the index of the bitmap shown.
enum SkinButtonState : BYTE { SkinButtonNormal = 0, SkinButtonHover = 1, SkinButtonDown = 2, SkinButtonDisabled = 3 };

class SkinButton {
public:
    SkinButton();
    virtual ~SkinButton() = default;
    SkinButton(const SkinButton&) = delete;
    SkinButton& operator=(const SkinButton&) = delete;

    void Init(CWnd* pParent, int x, int y, int nWidth, int nHeight, BYTE nKind, UINT nId);
    void SetTransparentColor(COLORREF crTransparent) { m_crTransparent = crTransparent; }
    // Bitmap resource IDs for Normal, Hover, Down and Disabled.
    void SetBitmaps(UINT nNormal, UINT nHover, UINT nDown, UINT nDisabled);

    // Acts on WM_ERASEBKGND (draws), WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, and on
    // WM_CAPTURECHANGED and WM_CANCELMODE, which end a tracked press without a click.
    void HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL HitTest(POINT pt) const;
    // Paints the current bitmap at the button's corner, skipping the transparent colour.
    void Draw(CDC* pDC);
    void SetState(BYTE nState, BOOL bRedraw);
    BYTE GetState() const { return m_nState; }

    UINT GetId() const { return m_nId; }
    // A push button pressed and not yet released: its parent holds the capture for it.
    BOOL IsTracking() const { return m_bTracking; }
    BOOL IsChecked() const;
    void SetChecked(BOOL bChecked);
    BOOL IsEnabled() const { return m_nState != SkinButtonDisabled; }
    void SetEnabled(BOOL bEnabled);

private:
    void OnMouseMove(POINT pt);
    void OnLButtonDown(POINT pt);
    void OnLButtonUp(POINT pt);
    void OnCaptureLost();
    void Notify(WPARAM wParam);
    void Redraw();

    CBitmap m_bitmaps[4];
    CBitmap* m_pCurrentBitmap;
    BYTE m_nState = SkinButtonNormal;
    BYTE m_nKind = SkinButtonPush;
    CWnd* m_pParent = nullptr;
    COLORREF m_crTransparent = 0;
    UINT m_nId = 0;
    int m_nTop = 0;
    int m_nLeft = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    BOOL m_bTracking = FALSE;
};
