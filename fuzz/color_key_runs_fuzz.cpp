// Arbitrary pixel buffers through the colour-key scan: the runs, and the rectangles
// after joining repeated rows, cover exactly the pixels that differ from the key.
#include "skin/ColorKeyRuns.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int32_t width = data[0] % 17 + 1;
    const size_t stride = static_cast<size_t>(width) + data[1] % 3;
    std::vector<uint32_t> pixels;
    for (size_t i = 2; i < size; ++i)
        pixels.push_back(data[i] % 4 == 0 ? 0x01000000u * data[i] : data[i] % 3);  // few colours, noisy top byte
    const int32_t height = static_cast<int32_t>(pixels.size() / stride);
    if (height == 0)
        return 0;
    const uint32_t key = pixels[0] & 0xFFFFFF;
    const std::vector<ColorKeyRect> runs = ScanColorKeyRuns(pixels.data(), width, height, stride);
    for (const std::vector<ColorKeyRect>& rects : {runs, MergeRepeatedRows(runs)}) {
        std::vector<int> covered(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        for (const ColorKeyRect& r : rects) {
            if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height || r.left >= r.right || r.top >= r.bottom)
                __builtin_trap();
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x)
                    ++covered[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        }
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const bool isKey = (pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] & 0xFFFFFF) == key;
                if (covered[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != (isKey ? 0 : 1))
                    __builtin_trap();
            }
    }
    return 0;
}
