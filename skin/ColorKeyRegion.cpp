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

// The bitmap is read in strips of about this many bytes: a buffer this small is taken
// from the heap's own pages, where one for a whole 580 x 370 bitmap would be fresh pages
// (most of the time of a read) on every build.
constexpr size_t kStripBytes = 256 * 1024;

// The runs of the bitmap's rows, top row first, from its pixels as 32-bit values: equal
// colours stay equal and different ones different, as a memory DC reports them. False
// when the bitmap cannot be read.
bool ScanBitmapRuns(CDC* pRefDC, const CBitmap& bitmap, const BITMAP& info, std::vector<ColorKeyRect>& runs)
{
    const int32_t width = info.bmWidth;
    const int32_t height = info.bmHeight;
    const size_t fit = kStripBytes / (static_cast<size_t>(width) * sizeof(uint32_t));
    const int32_t stripRows = fit < 1 ? 1 : fit < static_cast<size_t>(height) ? static_cast<int32_t>(fit) : height;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;  // bottom-up: GetDIBits counts scan lines from the bottom
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> strip(static_cast<size_t>(width) * static_cast<size_t>(stripRows));
    CDC ownDC;  // a screen-compatible DC when the caller has none
    HDC hDC = pRefDC ? pRefDC->GetSafeHdc() : nullptr;
    if (!hDC && ownDC.CreateCompatibleDC(nullptr))
        hDC = ownDC.GetSafeHdc();
    uint32_t key = 0;
    bool read = true;
    for (int32_t top = 0; read && top < height; top += stripRows) {
        const int32_t rows = stripRows < height - top ? stripRows : height - top;
        read = GetDIBits(hDC, bitmap, static_cast<UINT>(height - top - rows), static_cast<UINT>(rows), strip.data(),
                         &header, DIB_RGB_COLORS) == rows;
        const uint32_t* lastRow = strip.data() + static_cast<size_t>(rows - 1) * static_cast<size_t>(width);
        if (top == 0)
            key = *lastRow;  // the strip's rows come bottom first: this is pixel (0, 0)
        for (int32_t i = 0; read && i < rows; ++i)
            AppendColorKeyRowRuns(lastRow - static_cast<size_t>(i) * static_cast<size_t>(width), width, top + i, key,
                                  runs);
    }
    return read;
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
    std::vector<ColorKeyRect> runs;
    if (!ScanBitmapRuns(pRefDC, bitmap, info, runs))
        return nullptr;
    const std::vector<ColorKeyRect> rects = MergeRepeatedRows(runs);
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
