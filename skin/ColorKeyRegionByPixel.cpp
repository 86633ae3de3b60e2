#include "skin/ColorKeyRegionByPixel.h"

HRGN BuildColorKeyRegionByPixel(CDC* pRefDC, const CBitmap& bitmap)
{
    BITMAP info = {};
    if (!bitmap.GetBitmap(&info))
        return nullptr;
    CDC memDC;
    if (!memDC.CreateCompatibleDC(pRefDC))
        return nullptr;
    CSelectObject select(memDC, bitmap.GetSafeHandle());
    CRgn result;
    result.CreateRectRgn(0, 0, 0, 0);
    const COLORREF key = memDC.GetPixel(0, 0) & 0xFFFFFF;
    auto isKey = [&](int x, int y) { return (memDC.GetPixel(x, y) & 0xFFFFFF) == key; };
    for (int y = 0; y < info.bmHeight; ++y) {
        int x = 0;
        while (x < info.bmWidth) {
            while (x < info.bmWidth && isKey(x, y))
                ++x;
            const int start = x;
            while (x < info.bmWidth && !isKey(x, y))
                ++x;
            if (x > start) {
                CRgn run;
                run.CreateRectRgn(start, y, x, y + 1);
                result.CombineRgn(&result, &run, RGN_OR);
            }
        }
    }
    return static_cast<HRGN>(result.Detach());
}
