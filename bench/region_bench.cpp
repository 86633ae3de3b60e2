// The colour-key region of a skin bitmap built in one pass over its bits against the
// per-pixel reference, on the 580 x 370 background and a tooltip image. Prints the
// times, their ratio and whether the two regions are identical.
#include "skin/ColorKeyRegion.h"
#include "skin/ColorKeyRegionByPixel.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds per build, the best of `rounds` rounds of `reps` builds.
template <typename Build>
double TimeBuild(Build build, int rounds, int reps)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const double start = Seconds();
        for (int i = 0; i < reps; ++i)
            DeleteObject(build());
        const double perBuild = (Seconds() - start) * 1000.0 / reps;
        best = perBuild < best ? perBuild : best;
    }
    return best;
}

std::vector<BYTE> RegionBytes(HRGN hRgn)
{
    std::vector<BYTE> bytes(GetRegionData(hRgn, 0, nullptr));
    if (!bytes.empty())
        GetRegionData(hRgn, static_cast<DWORD>(bytes.size()), reinterpret_cast<RGNDATA*>(bytes.data()));
    return bytes;
}

bool Run(UINT bitmapId)
{
    CBitmap bitmap;
    if (!LoadSkinBitmap(bitmap, bitmapId)) {
        printf("bitmap %u: missing\n", bitmapId);
        return false;
    }
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    HRGN fast = BuildColorKeyRegion(nullptr, bitmap);
    HRGN reference = BuildColorKeyRegionByPixel(nullptr, bitmap);
    const bool same = EqualRgn(fast, reference) && RegionBytes(fast) == RegionBytes(reference);
    const size_t rects = (RegionBytes(fast).size() - sizeof(RGNDATAHEADER)) / sizeof(RECT);
    DeleteObject(fast);
    DeleteObject(reference);

    const double fastMs = TimeBuild([&] { return BuildColorKeyRegion(nullptr, bitmap); }, 5, 20);
    const double referenceMs = TimeBuild([&] { return BuildColorKeyRegionByPixel(nullptr, bitmap); }, 3, 2);
    printf("bitmap %u (%ld x %ld, %u region rectangles): one pass %.3f ms, per pixel %.3f ms, "
           "ratio %.1fx, regions %s\n",
           bitmapId, info.bmWidth, info.bmHeight, static_cast<unsigned>(rects), fastMs, referenceMs,
           referenceMs / fastMs, same ? "identical" : "DIFFERENT");
    return same;
}

}  // namespace

int main()
{
    const bool background = Run(2010);
    const bool tip = Run(2015);
    return background && tip ? 0 : 1;
}
