#include "framework/CGdiObject.h"

#include "framework/CWinApp.h"

CGdiObject& CGdiObject::operator=(CGdiObject&& other) noexcept
{
    if (this != &other)
        Attach(other.Detach());
    return *this;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject != m_hObject)
        DeleteObject();
    m_hObject = hObject;
    return hObject != nullptr;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ hObject = m_hObject;
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject()
{
    HGDIOBJ hObject = Detach();
    return hObject ? ::DeleteObject(hObject) : FALSE;
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return m_hObject ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    if (m_hObject)
        return FALSE;
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    HINSTANCE hInstance = AfxFindResourceHandle(name, RT_BITMAP);
    return Attach(::LoadBitmapA(hInstance, name));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits)
{
    if (m_hObject)
        return FALSE;
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2)
{
    if (m_hObject)
        return FALSE;
    return Attach(::CreateRectRgn(x1, y1, x2, y2));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode)
{
    return ::CombineRgn(*this, pRgn1 ? static_cast<HRGN>(*pRgn1) : nullptr,
                        pRgn2 ? static_cast<HRGN>(*pRgn2) : nullptr, nCombineMode);
}
