#include "skin/ColorKeyRuns.h"

namespace {

constexpr uint32_t kColorMask = 0xFFFFFF;

}  // namespace

void AppendColorKeyRowRuns(const uint32_t* row, int32_t width, int32_t y, uint32_t key,
                           std::vector<ColorKeyRect>& runs)
{
    key &= kColorMask;
    int32_t x = 0;
    while (x < width) {
        while (x < width && (row[x] & kColorMask) == key)
            ++x;
        const int32_t start = x;
        while (x < width && (row[x] & kColorMask) != key)
            ++x;
        if (x > start)
            runs.push_back({start, y, x, y + 1});
    }
}

std::vector<ColorKeyRect> ScanColorKeyRuns(const uint32_t* pixels, int32_t width, int32_t height,
                                           size_t stride)
{
    std::vector<ColorKeyRect> runs;
    if (!pixels || width <= 0 || height <= 0 || stride < static_cast<size_t>(width))
        return runs;
    for (int32_t y = 0; y < height; ++y)
        AppendColorKeyRowRuns(pixels + static_cast<size_t>(y) * stride, width, y, pixels[0], runs);
    return runs;
}

std::vector<ColorKeyRect> MergeRepeatedRows(const std::vector<ColorKeyRect>& runs)
{
    std::vector<ColorKeyRect> merged;
    size_t bandStart = 0;  // first rectangle of the band the last row joined
    size_t i = 0;
    while (i < runs.size()) {
        size_t rowEnd = i;
        while (rowEnd < runs.size() && runs[rowEnd].top == runs[i].top)
            ++rowEnd;
        const size_t rowCount = rowEnd - i;
        const size_t bandCount = merged.size() - bandStart;
        bool same = i > 0 && rowCount == bandCount && merged[bandStart].bottom == runs[i].top;
        for (size_t k = 0; same && k < rowCount; ++k)
            same = merged[bandStart + k].left == runs[i + k].left && merged[bandStart + k].right == runs[i + k].right;
        if (same) {
            for (size_t k = 0; k < rowCount; ++k)
                merged[bandStart + k].bottom = runs[i + k].bottom;
        } else {
            bandStart = merged.size();
            merged.insert(merged.end(), runs.begin() + static_cast<std::ptrdiff_t>(i),
                          runs.begin() + static_cast<std::ptrdiff_t>(rowEnd));
        }
        i = rowEnd;
    }
    return merged;
}
