// Matching a devconfig.txt line against a key, natively under the sanitizers.
#include "config/ConfigLine.h"
#include "config/ConfigScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace {

struct ScanResult {
    int32_t value;
    uint64_t line;  // 0: left at its default
};

// Width and height through a scanner over all the device keys, fed chunk bytes at a time.
ScanResult ScanFor(const std::string& file, const char* key, size_t chunk)
{
    ConfigScanner scanner;
    for (size_t at = 0; at < file.size(); at += chunk)
        scanner.Feed(file.data() + at, std::min(chunk, file.size() - at));
    scanner.Finish();
    for (size_t k = 0; k < scanner.KeyCount(); ++k)
        if (scanner.KeyName(k) == key)
            return {scanner.Setting(k).value, scanner.Setting(k).line};
    ADD_FAILURE() << "no key " << key;
    return {};
}

}  // namespace

TEST(ConfigScanner, OnePassGivesEachKeyItsFirstLine)
{
    struct Row {
        std::string file;
        const char* key;
        ScanResult expected;
    } rows[] = {
        {"width=1024\nheight=768\n", "height", {768, 2}},
        {"WIDTH 1\nwidth 2\n", "width", {1, 1}},
        {"x\r\nBitDepth: 32\r\n", "bitDepth", {32, 2}},
        {"fps", "fps", {0, 1}},                                 // last line without a line feed
        {"\n\n\nmusic off, sound 0", "sound", {0, 4}},
        {"7 shownext 0\n", "shownext", {7, 1}},
        {"opencount=99999999999\n", "opencount", {INT32_MAX, 1}},
        {"\x81Width=5\nwidth=6\n", "width", {6, 2}},             // W is a trail byte there
        {"\x81\x41width=5\n", "width", {5, 1}},
        {std::string("wid\0th=3\nwidth=4", 16), "width", {4, 2}},
        {std::string("height\0" "9\n", 9), "height", {0, 1}},   // digits after the NUL do not count
        {"width", "height", {600, 0}},
        {"", "fullscreen", {1, 0}},
        {"render=2\nrender=3\nwidth\n", "render", {2, 1}},
        {std::string(100000, 'a') + "effect" + std::string(100000, 'x') + "42\n", "effect", {42, 1}},
        {std::string(5000, '9') + " ddriver\n", "ddriver", {INT32_MAX, 1}},
    };
    for (const Row& row : rows)
        for (size_t chunk : {size_t{1}, size_t{3}, size_t{4096}}) {
            ScanResult got = ScanFor(row.file, row.key, chunk);
            EXPECT_EQ(row.expected.value, got.value) << row.key << " in " << row.file.substr(0, 40) << ", chunk " << chunk;
            EXPECT_EQ(row.expected.line, got.line) << row.key << " in " << row.file.substr(0, 40) << ", chunk " << chunk;
        }
}

TEST(ConfigScanner, KeepsABoundedExcerptOfTheLineThatSetAKey)
{
    ConfigScanner scanner;
    std::string longLine = "height=480 " + std::string(1000000, 'z') + "\r\n";
    std::string file = "# settings\nWidth: 1024\r\n" + longLine;
    scanner.Feed(file.data(), file.size());
    scanner.Finish();
    const ConfigSetting& width = scanner.Setting(1);
    EXPECT_EQ("Width: 1024", width.excerpt);
    EXPECT_FALSE(width.excerptCut);
    const ConfigSetting& height = scanner.Setting(2);
    EXPECT_EQ(3u, height.line);
    EXPECT_EQ(longLine.substr(0, ConfigScanner::kExcerptLength), height.excerpt);
    EXPECT_TRUE(height.excerptCut);
    EXPECT_FALSE(scanner.Setting(0).set);
    EXPECT_EQ(1, scanner.Setting(0).value) << "fullscreen keeps its default";
}

TEST(ConfigScanner, NotesRepeatsAndHowALineGaveItsValue)
{
    std::string file = "fps=off\nRender: -2\n" + std::string(70, 'q') + "-7 sound\nwidth=99999999999\n"
                       "render=1\nrender=3\nFPS 60\n";
    {
        ConfigScanner scanner;
        scanner.Feed(file.data(), file.size());
        scanner.Finish();
        const ConfigSetting& fps = scanner.Setting(8);
        EXPECT_TRUE(fps.noDigits);
        EXPECT_EQ(0, fps.value);
        const ConfigSetting& render = scanner.Setting(9);
        EXPECT_TRUE(render.signDropped);
        EXPECT_EQ(2, render.value);
        EXPECT_TRUE(scanner.Setting(7).signDropped) << "a sign hidden in a skipped run still counts";
        EXPECT_TRUE(scanner.Setting(1).saturated);
        EXPECT_FALSE(scanner.Setting(1).signDropped);
        EXPECT_EQ(2u, render.repeats);
        EXPECT_EQ(5u, render.firstRepeatLine);
        EXPECT_EQ(1u, fps.repeats);
    }
}

TEST(ConfigScanner, StopsOnceEveryKeyIsSetAndMatchesOddKeys)
{
    std::string all;
    for (const ConfigKey& key : kDeviceConfigKeys)
        all += std::string(key.name) + "=3\n";
    ConfigScanner scanner;
    scanner.Feed(all.data(), all.size());
    EXPECT_TRUE(scanner.AllSet());
    std::string later = "width=9\n";
    scanner.Feed(later.data(), later.size());
    EXPECT_EQ(3, scanner.Setting(1).value);
    EXPECT_EQ(0u, scanner.Setting(1).repeats) << "a scanner that need not note repeats stops";
    ConfigScanner noting(true);
    noting.Feed(all.data(), all.size());
    noting.Feed(later.data(), later.size());
    EXPECT_EQ(1u, noting.Setting(1).repeats);

    const std::string tooLong(ConfigScanner::kMaxKeyBytes, 'k');  // with the others, beyond what is matched
    const ConfigKey odd[] = {{"", 5}, {"ab", 6}, {"BAB", 7}, {tooLong, 8}};
    ConfigScanner oddScanner(odd, 4);
    std::string file = "\nxbAbab 1\n" + tooLong + "\n";
    oddScanner.Feed(file.data(), file.size());
    oddScanner.Finish();
    EXPECT_EQ(1u, oddScanner.Setting(0).line) << "an empty key is in every line";
    EXPECT_EQ(2u, oddScanner.Setting(1).line);
    EXPECT_EQ(1, oddScanner.Setting(2).value) << "overlapping keys both match";
    EXPECT_FALSE(oddScanner.Setting(3).set);
}
