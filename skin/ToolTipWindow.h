// A floating bitmap tip shaped by the bitmap's key colour and drawn translucent. It shows
// one delay after the owner's cursor enters a hot rectangle, watching only the mouse
// messages that the owner relays to it.
#pragma once

#include "framework/CDC.h"
#include "framework/CGdiObject.h"
#include "framework/CWnd.h"

class ToolTipWindow : public CWnd {
public:
    static constexpr UINT_PTR kShowTimerId = 1;

    ToolTipWindow() = default;
    ~ToolTipWindow() override = default;

    // Loads the image and creates the hidden tip; FALSE, and no window, when the image
    // cannot be read.
    BOOL Create(CWnd* pOwner, int x, int y, int nWidth, int nHeight, UINT nBitmapId);
    void SetShowDelay(UINT nDelay) { m_nShowDelay = nDelay; }
    void SetAlpha(UINT nAlpha) { m_nAlpha = nAlpha; }
    // Acts on WM_MOUSEMOVE (owner client coordinates) and WM_DESTROY.
    void HandleOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void TrackCursor(int x, int y);
    BOOL HitTest(int x, int y) const;

protected:
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void ApplyLayeredAlpha();
    void StopTimer();

    CBitmap m_bitmap;
    CWnd* m_pOwner = nullptr;
    UINT m_nShowDelay = 1;
    int m_nHotX = 0;
    int m_nHotY = 0;
    int m_nHotWidth = 0;
    int m_nHotHeight = 0;
    UINT m_nAlpha = 255;
    int m_nOffsetX = 0;
    int m_nOffsetY = 24;
    int m_nBitmapHeight = 0;
    int m_nBitmapWidth = 0;
    BOOL m_bTimerRunning = FALSE;
};
