// The colour-key run scan and the joining of repeated rows, natively under the sanitizers.
#include "skin/ColorKeyRuns.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Describe(const std::vector<ColorKeyRect>& rects)
{
    std::string text;
    for (const ColorKeyRect& r : rects)
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                std::to_string(r.bottom) + ")";
    return text;
}

constexpr uint32_t K = 0xFF00FF;
constexpr uint32_t A = 0x102030;

}  // namespace

TEST(ColorKeyRuns, ScansRowsAndJoinsRepeatedOnes)
{
    struct Row {
        const char* name;
        int32_t width, height;
        size_t stride;
        std::vector<uint32_t> pixels;
        std::string runs;
        std::string merged;
    } rows[] = {
        {"single pixel", 3, 1, 3, {K, A, K}, "(1,0,2,1)", "(1,0,2,1)"},
        {"run to the right edge", 4, 1, 4, {K, A, K, A}, "(1,0,2,1)(3,0,4,1)", "(1,0,2,1)(3,0,4,1)"},
        {"top byte ignored", 2, 1, 2, {K, 0xAA000000 | K}, "", ""},
        {"full rows join", 2, 3, 2, {K, A, A, A, A, A}, "(1,0,2,1)(0,1,2,2)(0,2,2,3)", "(1,0,2,1)(0,1,2,3)"},
        {"stride skips padding", 2, 2, 3, {K, A, A, K, A, A}, "(1,0,2,1)(1,1,2,2)", "(1,0,2,2)"},
        {"two runs per row join pairwise", 3, 2, 3, {K, A, K, A, K, A}, "(1,0,2,1)(0,1,1,2)(2,1,3,2)",
         "(1,0,2,1)(0,1,1,2)(2,1,3,2)"},
        {"rows apart do not join", 2, 3, 2, {K, A, K, K, K, A}, "(1,0,2,1)(1,2,2,3)", "(1,0,2,1)(1,2,2,3)"},
        {"zero width", 0, 2, 0, {K}, "", ""},
        {"stride below width", 2, 1, 1, {K, A}, "", ""},
    };
    for (const Row& row : rows) {
        const std::vector<ColorKeyRect> runs = ScanColorKeyRuns(row.pixels.data(), row.width, row.height, row.stride);
        EXPECT_EQ(row.runs, Describe(runs)) << row.name;
        EXPECT_EQ(row.merged, Describe(MergeRepeatedRows(runs))) << row.name;
    }
}
