#include "ui/layout_rules.h"

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
