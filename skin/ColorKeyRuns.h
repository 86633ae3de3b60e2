// The colour-key scan over a buffer of pixels: every horizontal run of pixels whose
// colour differs from pixel (0, 0), as rectangles a window region is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Left, top inclusive; right, bottom exclusive, as GDI rectangles.
struct ColorKeyRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

inline bool operator==(const ColorKeyRect& a, const ColorKeyRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Scans a top-down buffer of width x height pixels, `stride` pixels apart from row to
// row. Only the low 24 bits of a pixel take part in the comparison. Gives one rectangle
// of height 1 per run, row by row, left to right; nothing when width or height is not
// positive or stride is below width.
std::vector<ColorKeyRect> ScanColorKeyRuns(const uint32_t* pixels, int32_t width, int32_t height,
                                           size_t stride);

// Appends the runs of one row of width pixels as rectangles of height 1 at row y: the
// pixels whose low 24 bits differ from key. Nothing when width is not positive.
void AppendColorKeyRowRuns(const uint32_t* row, int32_t width, int32_t y, uint32_t key,
                           std::vector<ColorKeyRect>& runs);

// Joins each row whose runs equal those of the row above into taller rectangles. The
// covered pixels stay the same; the count drops to one per distinct band.
std::vector<ColorKeyRect> MergeRepeatedRows(const std::vector<ColorKeyRect>& runs);
