// Matching a devconfig.txt line against a key, natively under the sanitizers.
#include "config/ConfigLine.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(ConfigLine, MatchesAndParses)
{
    struct Row {
        std::string line;
        const char* key;
        bool matches;
        int32_t value;
    } rows[] = {
        {"WIDTH=1024", "width", true, 1024},
        {"width=-5", "width", true, 5},
        {"height = 768 (default)", "height", true, 768},
        {"fullscreen=off", "fullscreen", true, 0},
        {"1 fullscreen 0", "fullscreen", true, 1},
        {"music off, sound 0", "sound", true, 0},
        {"shownext", "width", false, -1},
        {"", "width", false, -1},
        {"width=12345678901234567890", "width", true, INT32_MAX},
        {"width=2147483648", "width", true, INT32_MAX},
        {"width=2147483647", "width", true, INT32_MAX},
        {"width=2147483646", "width", true, 2147483646},
        {std::string("wid\0th=3", 8), "width", false, -1},
        {std::string("width=\0" "3", 8), "width", true, 0},
    };
    for (const Row& row : rows) {
        int32_t value = -1;
        EXPECT_EQ(row.matches, MatchConfigLine(row.line, row.key, &value)) << row.line;
        EXPECT_EQ(row.value, value) << row.line;
    }
}

TEST(ConfigLine, LowerCaseSparesGbkTrailBytes)
{
    EXPECT_EQ("\xBF\x41width\xB1\x5A", LowerAsciiGbk("\xBF\x41WIDTH\xB1\x5A"));
    EXPECT_EQ("abc\x81", LowerAsciiGbk("ABC\x81"));  // a lone lead byte at the end
}
