// The colour-key region: exact rectangles for small bitmaps, the fast build against the
// per-pixel reference, unreadable bitmaps and GDI objects left behind.
#include "framework/CDC.h"
#include "skin/ColorKeyRegion.h"
#include "skin/ColorKeyRegionByPixel.h"
#include "tests/wine/GdiObjectCounter.h"
#include "tests/wine/Pixels.h"
#include "tests/wine/RelayWnd.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr COLORREF K = RGB(255, 0, 255);
constexpr COLORREF A = RGB(10, 20, 30);
constexpr COLORREF B = RGB(255, 0, 254);  // one step from the key: must not count as key

std::string Describe(const std::vector<RECT>& rects)
{
    std::string text;
    for (const RECT& r : rects)
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                std::to_string(r.bottom) + ")";
    return text.empty() ? "(none)" : text;
}

class ColorKeyRegionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(wnd.Create(900, 0, 64, 64)); }  // clear of the other skin tests' cursor
    RelayWnd wnd;
};

}  // namespace

TEST_F(ColorKeyRegionTest, SmallBitmapsGiveTheirRuns)
{
    struct Row {
        const char* name;
        int width, height;
        std::vector<COLORREF> pixels;
        std::string expected;
    } rows[] = {
        {"single pixel between keys", 3, 1, {K, A, K}, "(1,0,2,1)"},
        {"run to the right edge", 5, 1, {K, A, K, A, B}, "(1,0,2,1)(3,0,5,1)"},
        {"row without key", 3, 2, {K, A, A, A, B, A}, "(1,0,3,1)(0,1,3,2)"},
        {"equal rows join", 2, 3, {K, A, K, B, K, A}, "(1,0,2,3)"},
        {"all key", 2, 2, {K, K, K, K}, "(none)"},
        {"only the corner is key", 1, 2, {K, A}, "(0,1,1,2)"},
    };
    for (const Row& row : rows) {
        CBitmap bitmap = MakeBitmap(row.width, row.height, row.pixels);
        ApplyColorKeyRegion(&wnd, nullptr, bitmap);
        bool hasRegion = false;
        EXPECT_EQ(row.expected, Describe(WindowRegionRects(wnd, &hasRegion))) << row.name;
        EXPECT_TRUE(hasRegion) << row.name << ": an all-key bitmap still sets an (empty) region";
    }
}

TEST_F(ColorKeyRegionTest, FastBuildEqualsPerPixelReference)
{
    std::vector<std::pair<std::string, CBitmap>> bitmaps;
    for (UINT id = 2010; id <= 2027; ++id) {
        CBitmap skin;
        ASSERT_TRUE(LoadSkinBitmap(skin, id)) << id;
        bitmaps.emplace_back("skin " + std::to_string(id), std::move(skin));
    }
    std::mt19937 random(7);
    const COLORREF palette[] = {K, A, B, RGB(0, 0, 0), RGB(255, 255, 255)};
    for (int width : {1, 3, 5, 7, 13, 64, 101}) {
        const int height = 1 + width % 9;
        std::vector<COLORREF> noise, stripes, noKey, singles, allKey;
        for (int i = 0; i < width * height; ++i) {
            noise.push_back(palette[random() % 5]);
            stripes.push_back((i % width / 2) % 2 ? A : K);
            noKey.push_back(i == 0 ? K : A);
            singles.push_back(i % 5 == 3 ? A : K);
            allKey.push_back(K);
        }
        const std::string w = " width " + std::to_string(width);
        bitmaps.emplace_back("noise" + w, MakeBitmap(width, height, noise));
        bitmaps.emplace_back("stripes" + w, MakeBitmap(width, height, stripes));
        bitmaps.emplace_back("no key" + w, MakeBitmap(width, height, noKey));
        bitmaps.emplace_back("single pixels" + w, MakeBitmap(width, height, singles));
        bitmaps.emplace_back("all key" + w, MakeBitmap(width, height, allKey));
    }
    CClientDC screen(nullptr);
    for (const auto& [name, bitmap] : bitmaps) {
        for (CDC* pRefDC : {static_cast<CDC*>(nullptr), static_cast<CDC*>(&screen)}) {
            CRgn fast, reference;
            fast.Attach(BuildColorKeyRegion(pRefDC, bitmap));
            reference.Attach(BuildColorKeyRegionByPixel(pRefDC, bitmap));
            ASSERT_TRUE(fast.GetSafeHandle() && reference.GetSafeHandle()) << name;
            EXPECT_TRUE(SameRegion(fast, reference))
                << name << ": fast " << Describe(RegionRects(fast)).substr(0, 200) << " reference "
                << Describe(RegionRects(reference)).substr(0, 200);
        }
    }
}

TEST_F(ColorKeyRegionTest, BackgroundFromResourceCutsTheCorners)
{
    RelayWnd big;
    ASSERT_TRUE(big.Create(900, 0, 580, 370));
    ApplyColorKeyRegionFromResource(&big, nullptr, 2010);
    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(big, region));
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << "the key pixel is cut away";
    EXPECT_FALSE(PtInRegion(region, 579, 369)) << "so is the opposite corner";
    EXPECT_TRUE(PtInRegion(region, 290, 185)) << "the middle stays";
}

TEST_F(ColorKeyRegionTest, UnreadableBitmapLeavesTheRegion)
{
    SetWindowRgn(wnd, CreateRectRgn(1, 2, 3, 4), FALSE);
    CBitmap empty;
    ApplyColorKeyRegion(&wnd, nullptr, empty);
    ApplyColorKeyRegionFromResource(&wnd, nullptr, 9999);
    EXPECT_EQ("(1,2,3,4)", Describe(WindowRegionRects(wnd)));
    CBitmap missing;
    EXPECT_FALSE(LoadSkinBitmap(missing, 9999));
    EXPECT_EQ(nullptr, missing.GetSafeHandle());
}

TEST_F(ColorKeyRegionTest, NoGdiObjectOutlivesTheCalls)
{
    GdiObjectCounter counter;
    ASSERT_TRUE(GdiObjectCounter::Installed());
    CBitmap tip;
    ASSERT_TRUE(LoadSkinBitmap(tip, 2015));
    const size_t before = counter.Live();
    {
        CRgn probe;
        probe.CreateRectRgn(0, 0, 1, 1);
        EXPECT_EQ(before + 1, counter.Live()) << "the counter sees this executable's own calls";
    }
    CWnd gone;
    gone.m_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone.m_hWnd);  // SetWindowRgn refuses: the region must be deleted
    for (int i = 0; i < 10; ++i) {
        ApplyColorKeyRegion(&wnd, nullptr, tip);
        ApplyColorKeyRegionFromResource(&wnd, nullptr, 2010);
        ApplyColorKeyRegion(&gone, nullptr, tip);
        CRgn byPixel;
        byPixel.Attach(BuildColorKeyRegionByPixel(nullptr, tip));
    }
    gone.m_hWnd = nullptr;
    EXPECT_EQ(before, counter.Live()) << "GDI objects created and not released";
}
