// Where a caption ends and how small it is drawn to fit there, with plain numbers: a
// caption's width is taken as proportional to its font size.
#include <gtest/gtest.h>

#include <vector>

#include "ui/CaptionFit.h"

namespace {

// A caption 10 pixels wide per unit of font size, counting every size it was measured in.
struct Caption {
  double perUnit = 10;
  std::vector<double> measured;
  std::function<int(double)> Width() {
    return [this](double size) {
      measured.push_back(size);
      return static_cast<int>(size * perUnit + 0.5);
    };
  }
};

TEST(CaptionFit, ShrinksInStepsToTheLargestSizeThatFitsButNotBelowThreeQuarters) {
  struct Case {
    double full, step;
    int room;
    double expected;
  } const cases[] = {
      {12, 1, 120, 12},      // fits exactly
      {12, 1, 500, 12},      // room to spare
      {12, 1, 119, 11},      // one step smaller fits
      {12, 1, 100, 10},
      {12, 1, 95, 9},        // the floor itself fits
      {12, 1, 50, 9},        // nothing fits: the floor, not smaller
      {15, 1, 10, 12},       // 11.25 is the floor; whole pixels stop at 12, never at 11
      {9, 0.25, 80, 8},      // quarter points
      {9, 0.25, 79, 7.75},
      {9, 0.25, 1, 6.75},    // three quarters of 9 is a whole number of quarter steps
      {12, 1, 0, 12},        // no room at all: left as it is
      {12, 1, -5, 12},
      {0, 1, 10, 0},         // a font without a size (sized otherwise): left alone
      {-12, 1, 10, -12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.full << " step " << c.step << " room " << c.room);
    Caption caption;
    EXPECT_DOUBLE_EQ(ui::FitCaptionSize(c.full, c.step, c.room, caption.Width()), c.expected);
    for (double s : caption.measured) EXPECT_GE(s, c.full * 0.75);
  }
}

TEST(CaptionFit, AnEmptyCaptionKeepsItsSize) {
  EXPECT_EQ(ui::FitCaptionSize(12, 1, 10, [](double) { return 0; }), 12);
}

TEST(CaptionFit, StopsMeasuringAtTheFirstSizeThatFits) {
  Caption caption;
  ui::FitCaptionSize(12, 1, 105, caption.Width());
  EXPECT_EQ(caption.measured, (std::vector<double>{12, 11, 10}));
}

// A check box at 10,20 (120 x 17) in a parent 300 wide; siblings only count from its right
// and on its row.
TEST(CaptionFit, CaptionEndsBeforeTheNextControlOnItsRowOrTheParentsEdge) {
  const ui::Rect place{10, 20, 120, 17};
  struct Case {
    const char* what;
    std::vector<ui::Rect> siblings;
    int margin;
    int expected;
  } const cases[] = {
      {"alone", {}, 6, 294},
      {"a field over the end of its place", {{109, 18, 44, 24}}, 0, 109},
      {"margin before the field", {{109, 18, 44, 24}}, 2, 107},
      {"the nearest of two", {{200, 20, 40, 20}, {150, 20, 40, 20}}, 0, 150},
      {"left of it", {{0, 20, 8, 17}}, 0, 300},
      {"same left edge", {{10, 20, 50, 17}}, 0, 300},
      {"the row above, touching", {{150, 0, 40, 20}}, 0, 300},
      {"the row below, touching", {{150, 37, 40, 20}}, 0, 300},
      {"one pixel into its row from above", {{150, 0, 40, 21}}, 0, 150},
      {"one pixel into its row from below", {{150, 36, 40, 20}}, 0, 150},
      {"taller than the row", {{150, 0, 40, 100}}, 0, 150},
      {"beyond the parent's edge", {{320, 20, 40, 20}}, 4, 296},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ui::CaptionEnd(place, 300, c.siblings, c.margin), c.expected);
  }
}

}  // namespace
