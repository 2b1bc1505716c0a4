#include <gtest/gtest.h>

#include <cmath>

#include "clicker/AbsoluteCoord.h"
#include "clicker/AbsoluteToPixel.h"

namespace {

using clicker::AbsoluteToPixel;
using clicker::ToAbsoluteCoord;

TEST(AbsoluteToPixelTest, EveryPixelComesBackExactly) {
  struct Desk {
    int origin, extent;
  };
  for (Desk d : {Desk{0, 1920}, Desk{0, 1080}, Desk{0, 3840}, Desk{-1920, 3840}, Desk{0, 2},
                 Desk{0, 3}, Desk{0, 7}, Desk{5, 640}, Desk{0, 7680}, Desk{0, 65536}}) {
    int wrong = 0;
    for (int p = d.origin; p < d.origin + d.extent; ++p) {
      if (AbsoluteToPixel(ToAbsoluteCoord(p, d.origin, d.extent), d.origin, d.extent) != p) {
        ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << "origin " << d.origin << " extent " << d.extent;
  }
}

TEST(AbsoluteToPixelTest, EndsAndOutOfRangeValuesStayOnTheDesktop) {
  EXPECT_EQ(AbsoluteToPixel(0, 0, 1920), 0);
  EXPECT_EQ(AbsoluteToPixel(65535, 0, 1920), 1919);
  EXPECT_EQ(AbsoluteToPixel(32785, 0, 1920), 960);
  EXPECT_EQ(AbsoluteToPixel(70000, 0, 1920), 1919);   // clamped, never wrapped
  EXPECT_EQ(AbsoluteToPixel(99999, 0, 1920), 1919);
  EXPECT_EQ(AbsoluteToPixel(-5, 0, 1920), 0);
  EXPECT_EQ(AbsoluteToPixel(32776, -1920, 3840), 0);
  EXPECT_EQ(AbsoluteToPixel(0, -1920, 3840), -1920);
}

TEST(AbsoluteToPixelTest, ADesktopOfOnePixelOrLessIsItsOrigin) {
  for (int a : {0, 1, 32768, 65535}) {
    EXPECT_EQ(AbsoluteToPixel(a, 0, 1), 0);
    EXPECT_EQ(AbsoluteToPixel(a, 10, 0), 10);
  }
}

TEST(AbsoluteToPixelTest, EveryAbsoluteValueLandsOnTheNearestPixel) {
  // Values the forward map never produces (other senders' records) still go to the pixel
  // whose absolute value is closest.
  for (int extent : {3, 1920}) {
    for (int a = 0; a <= 65535; a += 7) {
      const int p = AbsoluteToPixel(a, 0, extent);
      const double exact = a * (extent - 1) / 65535.0;
      EXPECT_LE(std::abs(p - exact), 0.5 + 1e-9) << a << " on " << extent;
    }
  }
}

}  // namespace
