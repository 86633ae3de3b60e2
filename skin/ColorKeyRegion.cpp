#include "skin/ColorKeyRegion.h"

#include "skin/ColorKeyRuns.h"

#include <vector>

namespace {

// Above this many rectangles a region is built from two halves joined with CombineRgn:
// some GDIs merge ExtCreateRegion's rectangles one at a time, in quadratic time.
constexpr size_t kRectsPerRegion = 64;

HRGN CreateRegionFromRects(const ColorKeyRect* rects, size_t count)
{
    if (count > kRectsPerRegion) {
        const size_t half = count / 2;
        CRgn first;
        CRgn second;
        first.Attach(CreateRegionFromRects(rects, half));
        second.Attach(CreateRegionFromRects(rects + half, count - half));
        if (!first.GetSafeHandle() || !second.GetSafeHandle())
            return nullptr;
        return first.CombineRgn(&first, &second, RGN_OR) == ERROR ? nullptr : static_cast<HRGN>(first.Detach());
    }
    std::vector<BYTE> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    SetRectEmpty(&data->rdh.rcBound);
    auto* out = reinterpret_cast<RECT*>(data->Buffer);
    for (size_t i = 0; i < count; ++i) {
        out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        UnionRect(&data->rdh.rcBound, &data->rdh.rcBound, &out[i]);
    }
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

// The bitmap's pixels as 32-bit values, top row first. Equal colours stay equal and
// different ones different, as a memory DC would report them.
bool ReadPixels(CDC* pRefDC, const CBitmap& bitmap, const BITMAP& info, std::vector<uint32_t>& pixels)
{
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    HDC hRefDC = pRefDC ? pRefDC->GetSafeHdc() : nullptr;
    HDC hDC = hRefDC ? hRefDC : GetDC(nullptr);
    const int lines = GetDIBits(hDC, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
                                DIB_RGB_COLORS);
    if (!hRefDC)
        ReleaseDC(nullptr, hDC);
    return lines == info.bmHeight;
}

}  // namespace

BOOL LoadSkinBitmap(CBitmap& bitmap, UINT nBitmapId)
{
    bitmap.DeleteObject();
    return bitmap.LoadBitmap(nBitmapId);
}

HRGN BuildColorKeyRegion(CDC* pRefDC, const CBitmap& bitmap)
{
    BITMAP info = {};
    if (!bitmap.GetBitmap(&info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return nullptr;
    std::vector<uint32_t> pixels;
    if (!ReadPixels(pRefDC, bitmap, info, pixels))
        return nullptr;
    const std::vector<ColorKeyRect> rects = MergeRepeatedRows(
        ScanColorKeyRuns(pixels.data(), info.bmWidth, info.bmHeight, static_cast<size_t>(info.bmWidth)));
    if (rects.empty())
        return CreateRectRgn(0, 0, 0, 0);
    return CreateRegionFromRects(rects.data(), rects.size());
}

void ApplyColorKeyRegion(CWnd* pWnd, CDC* pRefDC, const CBitmap& bitmap)
{
    if (!pWnd || !pWnd->GetSafeHwnd())
        return;
    CRgn region;
    if (!region.Attach(BuildColorKeyRegion(pRefDC, bitmap)))
        return;
    if (SetWindowRgn(pWnd->GetSafeHwnd(), region, FALSE))
        region.Detach();  // the window owns it now
}

void ApplyColorKeyRegionFromResource(CWnd* pWnd, CDC* pRefDC, UINT nBitmapId)
{
    CBitmap bitmap;
    if (LoadSkinBitmap(bitmap, nBitmapId))
        ApplyColorKeyRegion(pWnd, pRefDC, bitmap);
}
