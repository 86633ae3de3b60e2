// The framework's device context objects: CDC (deletes the DC it holds; the temporaries
// FromHandle makes and the paint, window and client DCs hand theirs back instead), and scope
// objects for paint, window-DC, client-DC and select/restore pairs.
#pragma once

#include "framework/CGdiObject.h"

#include <windows.h>

class CWnd;

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A temporary object for hDC, kept for the thread; it never deletes hDC.
    static CDC* FromHandle(HDC hDC);
    // Creates a memory DC compatible with pDC, or with the screen when pDC is null; FALSE
    // when this object already holds a DC.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    HDC Detach();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
    HGDIOBJ SelectObject(CGdiObject* pObject) { return SelectObject(pObject->GetSafeHandle()); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
    }

    HDC m_hDC = nullptr;
};

// BeginPaint and EndPaint of a window.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd;
};

// GetWindowDC and ReleaseDC of a window (its whole rectangle, frame included).
class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hWnd);
    ~CWindowDC() override;

private:
    HWND m_hWnd;
};

// GetDC and ReleaseDC of a window's client area, or of the screen for a null window.
// Inline, so that only its users import GetDC.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetDC(hWnd); }
    ~CClientDC() override
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, Detach());
    }

private:
    HWND m_hWnd;
};

// Selects an object into a DC and reselects the previous one on destruction.
class CSelectObject {
public:
    CSelectObject(CDC& dc, HGDIOBJ hObject) : m_dc(dc), m_hOld(dc.SelectObject(hObject)) {}
    ~CSelectObject()
    {
        if (m_hOld)
            m_dc.SelectObject(m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_hOld;
};

// Sets a DC's background and text colours and restores them on destruction.
class CColorScope {
public:
    CColorScope(CDC& dc, COLORREF crBk, COLORREF crText)
        : m_dc(dc), m_crOldBk(dc.SetBkColor(crBk)), m_crOldText(dc.SetTextColor(crText))
    {
    }
    ~CColorScope()
    {
        m_dc.SetBkColor(m_crOldBk);
        m_dc.SetTextColor(m_crOldText);
    }
    CColorScope(const CColorScope&) = delete;
    CColorScope& operator=(const CColorScope&) = delete;

private:
    CDC& m_dc;
    COLORREF m_crOldBk;
    COLORREF m_crOldText;
};
