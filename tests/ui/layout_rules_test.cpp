#include "ui/layout_rules.h"

#include <array>
#include <gtest/gtest.h>

using namespace k740;

TEST(LayoutRules, RoundsHalvesToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(52.5), 52);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
}

TEST(LayoutRules, ResizeRowKeepsFiveGapsOf24WhenThereIsRoom)
{
    const TResizeRow row = TwoPanelResizeRow(1000, 80, 280);
    EXPECT_EQ(row.PanelWidth, 360);
    EXPECT_EQ(row.ZeroLeft, 24);
    EXPECT_EQ(row.PosLeft, 24 + 80 + 24);
    EXPECT_EQ(row.RefLeft, 80 + 360 + 72);
    EXPECT_EQ(row.ZeroRefLeft, 80 + 720 + 96);
    EXPECT_EQ(row.ZeroRefLeft + 80 + 24, 1000);
}

TEST(LayoutRules, ResizeRowShrinksGapsButNeverBelowTwo)
{
    const TResizeRow narrow = TwoPanelResizeRow(800, 80, 280);
    EXPECT_EQ(narrow.PanelWidth, 280);
    EXPECT_EQ(narrow.ZeroLeft, 16); // (800 - 560 - 160) / 5
    EXPECT_EQ(narrow.PosLeft, 80 + 32);
    const TResizeRow tiny = TwoPanelResizeRow(500, 80, 280);
    EXPECT_EQ(tiny.PanelWidth, 280);
    EXPECT_EQ(tiny.ZeroLeft, 2);
    EXPECT_EQ(tiny.ZeroRefLeft, 80 + 560 + 8);
}

TEST(LayoutRules, ShowRowSplitsTheWidthAroundTheButtons)
{
    const TShowRow row = TwoPanelShowRow(1000, 24, 80);
    EXPECT_EQ(row.PanelWidth, 360);
    EXPECT_EQ(row.PosLeft, 128);
    EXPECT_EQ(row.RefLeft, 72 + 80 + 360);
    EXPECT_EQ(row.ZeroRefLeft, row.RefLeft + 360 + 24);
}

TEST(LayoutRules, CaptionKeepsAQuarterOfItsHeightFromTheTop)
{
    EXPECT_EQ(CaptionTop(297, 104, 35), 61);
    EXPECT_EQ(CaptionTop(100, 104, 35), 8);
}

TEST(LayoutRules, ReadOutFontDropsTo48Then36AndStaysReducedWhenSticky)
{
    // Width proportional to the point size: 10 pixels per point.
    auto width = [](int points) { return points * 10; };
    EXPECT_EQ(FittedPointSize(width, 800, false, 72), 72);
    EXPECT_EQ(FittedPointSize(width, 700, false, 72), 48);
    EXPECT_EQ(FittedPointSize(width, 400, false, 72), 36);
    EXPECT_EQ(FittedPointSize(width, 100, false, 72), 36);
    // Sticky units never grow back until the size is reset to 72.
    EXPECT_EQ(FittedPointSize(width, 800, true, 48), 48);
    EXPECT_EQ(FittedPointSize(width, 800, false, 48), 72);
}

TEST(LayoutRules, StoredPanelStaysAsStoredUnlessNoPartOfItIsInsideTheBody)
{
    struct Case {
        TPanelBounds stored, kept;
    };
    for (const Case& k : {
             Case{{100, 50, 400, 104}, {100, 50, 400, 104}},       // inside
             Case{{-500, -20, 90000, 50}, {-500, -20, 90000, 50}}, // wider than the body, partly outside
             Case{{999, 299, 100, 40}, {999, 299, 100, 40}},       // one pixel inside
             Case{{1000, 50, 100, 40}, {999, 50, 100, 40}},        // just right of the body
             Case{{-600, -100, 100, 40}, {-99, -39, 100, 40}},     // above and left of it
             Case{{-500, 9000, 0, -3}, {0, 299, 1, 1}},            // empty, below the body
             Case{{500, 100, 0, 40}, {500, 100, 1, 40}},           // empty, inside
         }) {
        const TPanelBounds kept = ReachablePanel(k.stored, 1000, 300);
        EXPECT_TRUE(kept == k.kept) << k.stored.Left << "," << k.stored.Top << " -> " << kept.Left << "," << kept.Top
                                    << " " << kept.Width << "x" << kept.Height;
    }
}

TEST(LayoutRules, WindowLimitsFitTheScreenAndNeverContradict)
{
    struct Case {
        int areaWidth, areaHeight, minimumHeight;
        bool layoutEdit;
        TSizeLimits limits;
    };
    for (const Case& k : {
             Case{1920, 1040, 314, false, {960, 314, 1920, 520}}, // as designed
             Case{1920, 1040, 314, true, {960, 314, 1920, 1040}}, // layout edit: the whole height
             Case{1024, 600, 315, false, {512, 315, 1024, 315}},  // the minimum over half the screen
             Case{800, 450, 600, true, {400, 450, 800, 450}},     // the minimum over the whole screen
         }) {
        const TSizeLimits l = MainWindowLimits(k.areaWidth, k.areaHeight, k.minimumHeight, k.layoutEdit);
        EXPECT_EQ((std::array{l.MinWidth, l.MinHeight, l.MaxWidth, l.MaxHeight}),
            (std::array{k.limits.MinWidth, k.limits.MinHeight, k.limits.MaxWidth, k.limits.MaxHeight}))
            << k.areaWidth << "x" << k.areaHeight << " minimum " << k.minimumHeight;
    }
    const TBounds sized = WithinLimits({5, 6, 3000, 100}, {400, 450, 800, 450});
    EXPECT_TRUE(sized == (TBounds{5, 6, 800, 450}));
}

TEST(LayoutRules, WindowsAreFittedInsideTheAreaOrBroughtBackToTheNearest)
{
    const TBounds left{0, 0, 1600, 900};
    const TBounds right{1600, 30, 1600, 870};
    struct Case {
        const char* what;
        TBounds outer, fitted, brought;
    };
    for (const Case& k : {
             Case{"inside", {40, 170, 1300, 500}, {40, 170, 1300, 500}, {40, 170, 1300, 500}},
             Case{"below the left area", {194, 170, 1036, 900}, {194, 0, 1036, 900}, {194, 170, 1036, 900}},
             Case{"larger, title bar cut", {-5, -5, 2000, 1000}, {0, 0, 1600, 900}, {0, 0, 1600, 900}},
             Case{"a third on each", {1200, 100, 1200, 400}, {400, 100, 1200, 400}, {1200, 100, 1200, 400}},
             Case{"title bar above the right", {2000, 10, 800, 400}, {800, 10, 800, 400}, {2000, 30, 800, 400}},
             Case{"off every area", {3000, 1500, 1000, 500}, {600, 400, 1000, 500}, {2200, 400, 1000, 500}},
             Case{"title bar on both", {1480, 858, 1000, 500}, {600, 400, 1000, 500}, {1480, 858, 1000, 500}},
             Case{"far left", {-3000, 200, 1000, 500}, {0, 200, 1000, 500}, {0, 200, 1000, 500}},
         }) {
        const TBounds fitted = FitInside(k.outer, left);
        const TBounds brought = BroughtOnScreen(k.outer, {left, right});
        EXPECT_TRUE(fitted == k.fitted) << k.what << ": fitted " << fitted.Left << "," << fitted.Top;
        EXPECT_TRUE(brought == k.brought) << k.what << ": brought " << brought.Left << "," << brought.Top << " "
                                          << brought.Width << "x" << brought.Height;
    }
    // A corner on one screen is not enough; without a known screen nothing moves.
    EXPECT_TRUE(BroughtOnScreen({1480, 858, 1000, 500}, {left}) == (TBounds{600, 400, 1000, 500}));
    EXPECT_TRUE(BroughtOnScreen({3000, 1500, 10, 10}, {}) == (TBounds{3000, 1500, 10, 10}));
}

TEST(LayoutRules, TheTrendGoesBesideTheMainWindowInsideTheArea)
{
    const TBounds area{0, 0, 1600, 900};
    const TExtent wanted{800, 480};
    const TExtent least{330, 250};
    struct Case {
        const char* what;
        TBounds main, placed;
    };
    for (const Case& k : {
             Case{"right", {100, 100, 600, 300}, {700, 100, 800, 480}},
             Case{"right, lowered to fit", {100, 600, 600, 290}, {700, 420, 800, 480}},
             Case{"left", {900, 100, 600, 300}, {100, 100, 800, 480}},
             Case{"below", {300, 0, 1000, 400}, {300, 400, 800, 480}},
             Case{"above", {300, 500, 1000, 400}, {300, 20, 800, 480}},
             Case{"narrowed on the roomiest side", {500, 0, 700, 900}, {0, 0, 500, 480}},
             Case{"no room: over it at the right edge", {200, 0, 1300, 900}, {800, 0, 800, 480}},
         }) {
        const TBounds placed = BesideWindow(k.main, wanted, least, area);
        EXPECT_TRUE(placed == k.placed) << k.what << ": " << placed.Left << "," << placed.Top << " " << placed.Width
                                        << "x" << placed.Height;
    }
}
