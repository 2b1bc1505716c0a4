#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <set>

#include "clicker/CornerRule.h"
#include "clicker/DiscPoint.h"
#include "clicker/IntervalDraw.h"
#include "macros/PlaybackSpeed.h"

namespace {

using geometry::Point;
using geometry::Rect;

// ---- the point in a disc ----

TEST(DiscPointTest, StaysInsideTheDiscAndCoversItEvenly) {
  std::mt19937 rng(7);
  const Rect desk{0, 0, 1920, 1080};
  const Point centre{500, 400};
  const int radius = 20;
  std::map<std::pair<int, int>, int> hits;
  int inner = 0;  // within half the radius: a quarter of the area
  constexpr int kDraws = 40000;
  for (int i = 0; i < kDraws; ++i) {
    const Point p = clicker::DrawPointInDisc(centre, radius, desk, rng);
    const int dx = p.x - centre.x, dy = p.y - centre.y;
    ASSERT_LE(dx * dx + dy * dy, radius * radius) << dx << "," << dy;
    ++hits[{dx, dy}];
    if (dx * dx + dy * dy <= radius * radius / 4) ++inner;
  }
  // A draw that favours the centre (a polar draw without the square root) puts half
  // of them there instead of a quarter.
  EXPECT_NEAR(static_cast<double>(inner) / kDraws, 0.25, 0.02);
  // Both ends of both axes are reached, and most of the disc's ~1257 points are hit.
  EXPECT_TRUE(hits.count({radius, 0}) && hits.count({-radius, 0}) && hits.count({0, radius}) &&
              hits.count({0, -radius}));
  EXPECT_GT(hits.size(), 1200u);
}

TEST(DiscPointTest, ZeroRadiusIsTheCentreAndDrawsNothing) {
  std::mt19937 rng(3), untouched(3);
  for (int radius : {0, -5}) {
    EXPECT_EQ(clicker::DrawPointInDisc({12, 34}, radius, {0, 0, 100, 100}, rng), (Point{12, 34}));
  }
  EXPECT_EQ(rng(), untouched());
}

TEST(DiscPointTest, IsHeldInsideTheVirtualDesktop) {
  struct Case {
    Rect desk;
    Point centre;
  };
  for (const Case& c : {Case{{0, 0, 1920, 1080}, {0, 0}}, Case{{0, 0, 1920, 1080}, {1919, 1079}},
                        Case{{-1920, -200, 3840, 1280}, {-1920, -200}},
                        Case{{-1920, -200, 3840, 1280}, {1919, 1079}}}) {
    std::mt19937 rng(11);
    bool onEdge = false;
    for (int i = 0; i < 500; ++i) {
      const Point p = clicker::DrawPointInDisc(c.centre, 50, c.desk, rng);
      ASSERT_GE(p.x, c.desk.left);
      ASSERT_LT(p.x, c.desk.Right());
      ASSERT_GE(p.y, c.desk.top);
      ASSERT_LT(p.y, c.desk.Bottom());
      onEdge = onEdge || p.x == c.centre.x || p.y == c.centre.y;
    }
    EXPECT_TRUE(onEdge);
  }
}

// ---- the interval draw ----

TEST(IntervalDrawTest, ThreeStepDrawIsTheOriginalOne) {
  // The same generator state gives the same interval as the original -J/0/+J draw.
  std::mt19937 a(42), b(42);
  for (int i = 0; i < 200; ++i) {
    std::uniform_int_distribution<int> draw(-1, 1);
    const int expected = std::max(1, 100 + 30 * draw(b));
    ASSERT_EQ(clicker::DrawIntervalMs(clicker::jmThreeSteps, 100, 30, a), expected);
  }
  // A mode from a newer or hand-edited file counts as the original draw too.
  std::mt19937 c(5), d(5);
  for (int i = 0; i < 50; ++i)
    ASSERT_EQ(clicker::DrawIntervalMs(9, 100, 30, c), clicker::DrawIntervalMs(0, 100, 30, d));
}

TEST(IntervalDrawTest, UniformTakesEveryWholeMillisecondWithinTheAmplitude) {
  std::mt19937 rng(1);
  std::map<int, int> seen;
  constexpr int kDraws = 101 * 400;
  for (int i = 0; i < kDraws; ++i) ++seen[clicker::DrawIntervalMs(clicker::jmUniform, 100, 50, rng)];
  ASSERT_EQ(seen.size(), 101u);
  EXPECT_EQ(seen.begin()->first, 50);
  EXPECT_EQ(seen.rbegin()->first, 150);
  for (const auto& [value, count] : seen) EXPECT_NEAR(count, 400, 100) << value;
}

TEST(IntervalDrawTest, NormalHasTwoThirdsWithinHalfTheAmplitudeAndNoneBeyond) {
  std::mt19937 rng(2);
  int within = 0, atEnds = 0;
  constexpr int kDraws = 20000;
  for (int i = 0; i < kDraws; ++i) {
    const int v = clicker::DrawIntervalMs(clicker::jmNormal, 1000, 100, rng);
    ASSERT_GE(v, 900);
    ASSERT_LE(v, 1100);
    if (std::abs(v - 1000) <= 50) ++within;
    if (std::abs(v - 1000) == 100) ++atEnds;
  }
  // One sigma of a normal cut at two sigma: 0.6827 / 0.9545.
  EXPECT_NEAR(static_cast<double>(within) / kDraws, 0.715, 0.02);
  // Cut by drawing again, the ends get their density, not the ~4.5 % of the tails.
  EXPECT_LT(atEnds, kDraws / 100);
}

TEST(IntervalDrawTest, NeverBelowOneMillisecondAndZeroAmplitudeIsExact) {
  struct Case {
    int mode, interval, jitter, lowest, highest;
  };
  for (const Case& c : {Case{0, 1, 999, 1, 1000}, Case{1, 1, 999, 1, 1000}, Case{2, 1, 999, 1, 1000},
                        Case{0, 100, 0, 100, 100}, Case{1, 100, 0, 100, 100},
                        Case{2, 100, 0, 100, 100}, Case{1, 86399999, 999, 86399000, 86400998}}) {
    std::mt19937 rng(9);
    int lo = c.highest, hi = c.lowest;
    for (int i = 0; i < 3000; ++i) {
      const int v = clicker::DrawIntervalMs(c.mode, c.interval, c.jitter, rng);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    EXPECT_GE(lo, c.lowest) << c.mode << " " << c.interval << " " << c.jitter;
    EXPECT_LE(hi, c.highest) << c.mode << " " << c.interval << " " << c.jitter;
    if (c.jitter > 0 && c.interval == 1) {
      EXPECT_EQ(lo, 1);  // cut at 1, not wrapped or left at 0 or below
    }
  }
}

// ---- the corner rule ----

TEST(CornerRuleTest, EachCornerWithinTwoPixelsCounts) {
  const Rect desk{-1920, -100, 3840, 1180};  // right edge x=1919, bottom y=1079
  clicker::CornerRule rule(desk);
  struct Case {
    Point p;
    bool hit;
  };
  for (const Case& c : {Case{{-1920, -100}, true}, Case{{-1918, -98}, true}, Case{{-1917, -100}, false},
                        Case{{-1920, -97}, false}, Case{{1919, -100}, true}, Case{{1917, -99}, true},
                        Case{{-1920, 1079}, true}, Case{{1919, 1079}, true}, Case{{1921, 1081}, true},
                        Case{{1916, 1079}, false}, Case{{0, 0}, false}, Case{{0, -100}, false},
                        Case{{-1920, 500}, false}}) {
    EXPECT_EQ(rule.Hit(c.p), c.hit) << c.p.x << "," << c.p.y;
  }
}

TEST(CornerRuleTest, TheTargetsOwnCornerDoesNotCount) {
  const Rect desk{0, 0, 1920, 1080};
  clicker::CornerRule rule(desk);
  rule.ExcludeTarget({1, 2});
  EXPECT_FALSE(rule.Hit({0, 0}));
  EXPECT_TRUE(rule.Hit({1919, 0}));
  EXPECT_TRUE(rule.Hit({0, 1079}));
  // A spread that can reach a corner leaves it out too; one that cannot does not.
  rule.ExcludeTarget({1900, 1060}, 20);
  EXPECT_FALSE(rule.Hit({1919, 1079}));
  rule.ExcludeTarget({1900, 30}, 20);
  EXPECT_TRUE(rule.Hit({1919, 0}));
}

TEST(CornerRuleTest, AnEmptyDesktopHasNoCorners) {
  clicker::CornerRule rule({0, 0, 0, 0});
  EXPECT_FALSE(rule.Hit({0, 0}));
}

// ---- the playback speed ----

TEST(SpeedScaleTest, ScalesWaitsWithoutDrift) {
  struct Case {
    int speed, expected;
  };
  for (const Case& c : {Case{100, 100}, Case{25, 25}, Case{10, 25}, Case{400, 400}, Case{1000, 400},
                        Case{200, 200}, Case{-3, 25}}) {
    EXPECT_EQ(macros::SpeedScale(c.speed).Speed(), c.expected);
  }
  // 3000 gaps of 1001 us at 300 %: each alone would lose its third of a microsecond.
  for (int speed : {25, 100, 150, 200, 300, 333, 400}) {
    macros::SpeedScale scale(speed);
    std::uint64_t sum = 0, raw = 0;
    for (int i = 0; i < 3000; ++i) {
      sum += scale.Next(1001);
      raw += 1001;
      ASSERT_EQ(sum, raw * 100 / static_cast<std::uint64_t>(speed)) << speed << " at " << i;
    }
  }
  macros::SpeedScale half(200);
  EXPECT_EQ(half.Next(2000000), 1000000u);
  EXPECT_EQ(half.Next(0), 0u);
  macros::SpeedScale normal(100);
  EXPECT_EQ(normal.Next(4294967295000ull), 4294967295000ull);
}

}  // namespace
