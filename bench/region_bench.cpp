// The colour-key region of a skin bitmap built in one pass over its bits against the
// per-pixel reference, on the skin's 580 x 370 background, a generated hard background of
// the same size (a dithered elliptical rim and 200 round holes) and a tooltip image.
// Prints the times, their ratio and whether the two regions are identical.
//   region_bench.exe [ROUNDS]    (default 5; the best round counts)
#include "skin/ColorKeyRegion.h"
#include "skin/ColorKeyRegionByPixel.h"

#include "bench/Stopwatch.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Milliseconds per build, the best of `rounds` rounds of `reps` builds.
template <typename Build>
double TimeBuild(Build build, int rounds, int reps)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        Stopwatch watch;
        for (int i = 0; i < reps; ++i)
            DeleteObject(build());
        const double perBuild = watch.Seconds() * 1000.0 / reps;
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

constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kBody = 0x3070B0;

// Ordered-dither threshold of pixel (x, y), 0 to 15, from a 4 x 4 Bayer matrix.
int DitherThreshold(int x, int y)
{
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return kBayer[y & 3][x & 3];
}

// The hard background: key colour outside an ellipse, a 12-pixel rim that fades into the
// key colour through ordered dither, and 200 round holes of key colour at fixed
// pseudo-random places inside.
bool MakeHardBackground(CBitmap& bitmap)
{
    const int width = 580, height = 370, holes = 200;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, kKey);
    const double cx = width / 2.0, cy = height / 2.0, rx = width / 2.0 - 4, ry = height / 2.0 - 4, rim = 12;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            const double depth = (1.0 - std::sqrt(dx * dx + dy * dy)) * (rx < ry ? rx : ry);  // pixels inside
            if (depth > 0 && depth * 16 / rim > DitherThreshold(x, y))
                pixels[static_cast<size_t>(y) * width + x] = kBody;
        }
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(range));
    };
    for (int i = 0; i < holes; ++i) {
        const int hx = 60 + next(width - 120), hy = 50 + next(height - 100), r = 3 + next(5);
        for (int y = hy - r; y <= hy + r; ++y)
            for (int x = hx - r; x <= hx + r; ++x)
                if ((x - hx) * (x - hx) + (y - hy) * (y - hy) <= r * r)
                    pixels[static_cast<size_t>(y) * width + x] = kKey;
    }
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = GetDC(nullptr);
    HBITMAP hBitmap = CreateDIBitmap(hScreen, &header.bmiHeader, CBM_INIT, pixels.data(), &header, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hScreen);
    return bitmap.Attach(hBitmap);
}

bool Run(const char* name, CBitmap& bitmap, int rounds)
{
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    HRGN fast = BuildColorKeyRegion(nullptr, bitmap);
    HRGN reference = BuildColorKeyRegionByPixel(nullptr, bitmap);
    const bool same = EqualRgn(fast, reference) && RegionBytes(fast) == RegionBytes(reference);
    const size_t rects = (RegionBytes(fast).size() - sizeof(RGNDATAHEADER)) / sizeof(RECT);
    DeleteObject(fast);
    DeleteObject(reference);

    const double fastMs = TimeBuild([&] { return BuildColorKeyRegion(nullptr, bitmap); }, rounds, 20);
    const double referenceMs =
        TimeBuild([&] { return BuildColorKeyRegionByPixel(nullptr, bitmap); }, rounds > 3 ? 3 : rounds, 2);
    printf("%s (%ld x %ld, %u region rectangles): one pass %.3f ms, per pixel %.3f ms, "
           "ratio %.1fx, regions %s\n",
           name, info.bmWidth, info.bmHeight, static_cast<unsigned>(rects), fastMs, referenceMs,
           referenceMs / fastMs, same ? "identical" : "DIFFERENT");
    return same;
}

bool RunSkin(UINT bitmapId, int rounds)
{
    CBitmap bitmap;
    const std::string name = "bitmap " + std::to_string(bitmapId);
    if (!LoadSkinBitmap(bitmap, bitmapId)) {
        printf("%s: missing\n", name.c_str());
        return false;
    }
    return Run(name.c_str(), bitmap, rounds);
}

bool RunHard(int rounds)
{
    CBitmap bitmap;
    if (!MakeHardBackground(bitmap)) {
        printf("hard background: cannot be made\n");
        return false;
    }
    return Run("hard background", bitmap, rounds);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 5;
    const bool background = RunSkin(2010, rounds);
    const bool hard = RunHard(rounds);
    const bool tip = RunSkin(2015, rounds);
    return background && hard && tip ? 0 : 1;
}
