// The forward click's point: on the screen, inside the shape, off the controls, for
// screens of every shape and windows partly off them.
#include "skin/WindowClickPoint.h"

#include <gtest/gtest.h>

namespace {

bool Anywhere(int, int) { return true; }

struct Row {
    const char* name;
    ClickPlacement placement;
    std::vector<ClickRect> avoid;
    bool found;
    int x, y;
};

}  // namespace

TEST(ClickPoint, TableOfPlacements)
{
    const Row rows[] = {
        {"middle of a window on a 4:3 screen", {222, 119, 580, 370, 1024, 768}, {}, true, 290, 185},
        {"middle of a window on a very wide screen", {670, 35, 580, 370, 1920, 600}, {}, true, 290, 185},
        {"middle covered: the next column right", {0, 0, 9, 5, 100, 100}, {{4, 2, 5, 3}}, true, 5, 2},
        {"whole middle row covered: the row below", {0, 0, 9, 5, 100, 100}, {{0, 2, 9, 3}}, true, 4, 3},
        {"window above the screen's top: first row on it", {0, -3, 9, 5, 100, 100}, {}, true, 4, 3},
        {"window left of the screen: first column on it", {-7, 0, 9, 5, 100, 100}, {}, true, 7, 2},
        {"window below the screen", {0, 100, 9, 5, 100, 100}, {}, false, 0, 0},
        {"everything covered", {0, 0, 9, 5, 100, 100}, {{0, 0, 9, 5}}, false, 0, 0},
        {"empty window", {0, 0, 0, 0, 100, 100}, {}, false, 0, 0},
        {"one pixel", {5, 5, 1, 1, 100, 100}, {}, true, 0, 0},
    };
    for (const Row& row : rows) {
        int x = -1, y = -1;
        const bool found = FindClickPoint(row.placement, row.avoid, &Anywhere, &x, &y);
        EXPECT_EQ(row.found, found) << row.name;
        if (row.found && found)
            EXPECT_TRUE(x == row.x && y == row.y) << row.name << ": got " << x << "," << y;
        if (!row.found)
            EXPECT_TRUE(x == -1 && y == -1) << row.name << ": outputs untouched";
    }
}

TEST(ClickPoint, ShapeExcludesTheKeyColouredPixels)
{
    // Only a ring at distance 3 from the middle belongs to the window.
    auto ring = [](int x, int y) { return (x - 10) * (x - 10) + (y - 10) * (y - 10) >= 9; };
    int x = -1, y = -1;
    ASSERT_TRUE(FindClickPoint({0, 0, 21, 21, 100, 100}, {}, ring, &x, &y));
    EXPECT_TRUE(ring(x, y)) << x << "," << y;
    EXPECT_EQ(10, y) << "the middle row still has shaped pixels";
    EXPECT_EQ(13, x);
}

TEST(ClickPoint, ReachableRectLiesOnTheWindowTheScreenAndTheShape)
{
    const ClickRect ok = {486, 325, 565, 351};
    struct Case {
        const char* name;
        ClickPlacement placement;
        bool shaped;
        bool reachable;
    };
    const Case cases[] = {
        {"the client's background on a 4:3 screen", {222, 119, 580, 370, 1024, 768}, true, true},
        {"background smaller than the button area", {362, 204, 300, 200, 1024, 768}, true, false},
        {"one-pixel background", {512, 304, 1, 1, 1024, 768}, true, false},
        {"background of one colour", {222, 119, 580, 370, 1024, 768}, false, false},
        {"4096 wide: left of the screen", {-1536, 119, 4096, 370, 1024, 768}, true, false},
        {"screen too short for the button", {222, 119, 580, 370, 1024, 400}, true, false},
    };
    for (const Case& c : cases) {
        auto shape = [&c](int, int) { return c.shaped; };
        EXPECT_EQ(c.reachable, IsRectReachable(c.placement, ok, shape)) << c.name;
    }
    auto onlyCorner = [](int x, int y) { return x == 564 && y == 350; };
    EXPECT_TRUE(IsRectReachable({0, 0, 580, 370, 1024, 768}, ok, onlyCorner)) << "one shaped pixel suffices";
}
