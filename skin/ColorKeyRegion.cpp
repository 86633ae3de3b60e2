#include "skin/ColorKeyRegion.h"

#include "skin/ColorKeyRuns.h"

#include <vector>

namespace {

// Some GDIs merge ExtCreateRegion's rectangles one at a time, each merge copying the
// region so far: a region is built from small groups of rectangles, joined pairwise as a
// balanced tree, so every rectangle is copied once per level (n log n, not n squared).
constexpr size_t kRectsPerGroup = 16;

HRGN CreateRegionFromGroup(const ColorKeyRect* rects, size_t count)
{
    struct {
        RGNDATAHEADER rdh;
        RECT rects[kRectsPerGroup];
    } data = {};
    data.rdh.dwSize = sizeof(RGNDATAHEADER);
    data.rdh.iType = RDH_RECTANGLES;
    data.rdh.nCount = static_cast<DWORD>(count);
    data.rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    for (size_t i = 0; i < count; ++i) {
        data.rects[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        UnionRect(&data.rdh.rcBound, &data.rdh.rcBound, &data.rects[i]);
    }
    return ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + count * sizeof(RECT)),
                           reinterpret_cast<const RGNDATA*>(&data));
}

HRGN CreateRegionFromRects(const ColorKeyRect* rects, size_t count)
{
    if (count <= kRectsPerGroup)
        return CreateRegionFromGroup(rects, count);
    const size_t half = count / 2;
    CRgn first;
    CRgn second;
    if (!first.Attach(CreateRegionFromRects(rects, half)) ||
        !second.Attach(CreateRegionFromRects(rects + half, count - half)))
        return nullptr;
    return first.CombineRgn(&first, &second, RGN_OR) == ERROR ? nullptr : static_cast<HRGN>(first.Detach());
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
    HDC hDC = hRefDC ? hRefDC : CreateCompatibleDC(nullptr);
    const int lines = GetDIBits(hDC, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
                                DIB_RGB_COLORS);
    if (!hRefDC)
        DeleteDC(hDC);
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
