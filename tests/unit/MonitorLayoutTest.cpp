#include <gtest/gtest.h>

#include "clicker/AbsoluteCoord.h"
#include "clicker/MonitorLayout.h"

namespace {

using clicker::Monitor;
using clicker::MonitorLayout;
using geometry::Point;
using geometry::Rect;

// The X root of two monitors of different sizes, the primary on the right and shorter:
// 1280x1024 at the root's origin, the primary 1024x768 beside it.
const Rect kRoot{0, 0, 2304, 1024};
const Monitor kLeft{{0, 0, 1280, 1024}, false};
const Monitor kPrimaryRight{{1280, 0, 1024, 768}, true};

TEST(MonitorLayoutTest, PointsAreMeasuredFromThePrimaryMonitor) {
  const MonitorLayout layout({kLeft, kPrimaryRight}, kRoot);
  EXPECT_EQ(layout.VirtualDesktop(), (Rect{-1280, 0, 2304, 1024}));
  struct Case {
    Point root, program;
  };
  for (const Case& c : {Case{{1280, 0}, {0, 0}}, Case{{1380, 200}, {100, 200}},
                        Case{{200, 300}, {-1080, 300}}, Case{{0, 1023}, {-1280, 1023}},
                        Case{{2303, 767}, {1023, 767}}}) {
    EXPECT_EQ(layout.FromSystem(c.root), c.program) << c.root.x << "," << c.root.y;
    EXPECT_EQ(layout.ToSystem(c.program), c.root) << c.program.x << "," << c.program.y;
  }
}

TEST(MonitorLayoutTest, AnAbsoluteMoveLandsOnThePixelTheProgramNamed) {
  // The click engine normalises over the virtual desktop it is told; the adapter turns the
  // record back into a root pixel. Every program pixel must survive the round trip.
  struct Setup {
    std::vector<Monitor> monitors;
    Rect root;
  };
  const std::vector<Setup> setups = {
      {{kLeft, kPrimaryRight}, kRoot},
      // A primary below a wider monitor: the upper one has negative Y.
      {{{{0, 0, 1920, 1080}, false}, {{300, 1080, 1280, 800}, true}}, {0, 0, 1920, 1880}},
      // One monitor, not flagged: nothing is translated.
      {{{{0, 0, 1920, 1080}, false}}, {0, 0, 1920, 1080}},
  };
  for (const Setup& s : setups) {
    const MonitorLayout layout(s.monitors, s.root);
    const Rect desk = layout.VirtualDesktop();
    int wrong = 0;
    for (int x = desk.left; x < desk.Right(); ++x) {
      const int y = desk.top + (x - desk.left) * 7 % desk.height;
      const Point root = layout.AbsoluteToSystem(clicker::ToAbsoluteCoord(x, desk.left, desk.width),
                                                 clicker::ToAbsoluteCoord(y, desk.top, desk.height));
      if (!(root == layout.ToSystem({x, y}))) ++wrong;
    }
    EXPECT_EQ(wrong, 0) << "desktop " << desk.left << "," << desk.top << " " << desk.width << "x" << desk.height;
  }
}

TEST(MonitorLayoutTest, TwoEqualMonitorsWithThePrimaryOnTheRightMatchWindows) {
  // Windows puts the left monitor at -1920: program X 0 is absolute 32776, the primary's first
  // pixel, which is root pixel 1920 on X.
  const MonitorLayout layout({{{0, 0, 1920, 1080}, false}, {{1920, 0, 1920, 1080}, true}}, {0, 0, 3840, 1080});
  const Rect desk = layout.VirtualDesktop();
  EXPECT_EQ(desk, (Rect{-1920, 0, 3840, 1080}));
  EXPECT_EQ(clicker::ToAbsoluteCoord(0, desk.left, desk.width), 32776);
  EXPECT_EQ(layout.AbsoluteToSystem(32776, 0), (Point{1920, 0}));
  EXPECT_EQ(layout.AbsoluteToSystem(0, 65535), (Point{0, 1079}));
  EXPECT_EQ(layout.AbsoluteToSystem(70000, -3), (Point{3839, 0}));  // clamped onto the desktop
}

TEST(MonitorLayoutTest, WithoutAPrimaryMonitorTheRootsCoordinatesStay) {
  struct Case {
    std::vector<Monitor> monitors;
    Rect desk;
  };
  const std::vector<Case> cases = {
      {{}, kRoot},                                                  // no RandR monitors
      {{{{0, 0, 1920, 1080}, false}}, {0, 0, 1920, 1080}},          // the usual single screen
      {{{{0, 0, 1920, 1080}, true}}, {0, 0, 1920, 1080}},           // flagged, at the origin
      {{{{100, 50, 800, 600}, false}, {{900, 80, 800, 600}, false}}, {100, 50, 1600, 630}},
      {{{{0, 0, 0, 0}, true}, {{0, 0, 1280, 1024}, false}}, {0, 0, 1280, 1024}},  // empty one skipped
  };
  for (const Case& c : cases) {
    const MonitorLayout layout(c.monitors, kRoot);
    EXPECT_EQ(layout.VirtualDesktop(), c.desk) << c.monitors.size() << " monitor(s)";
    EXPECT_EQ(layout.FromSystem({37, 41}), (Point{37, 41}));
    EXPECT_EQ(layout.AbsoluteToSystem(0, 0), (Point{c.desk.left, c.desk.top}));
    EXPECT_EQ(layout.PrimaryWorkArea({12, 30, 1908, 1010}), (Rect{12, 30, 1908, 1010}));
  }
}

TEST(MonitorLayoutTest, TheWorkAreaIsThePrimaryMonitorsShareOfThePublishedOne) {
  const MonitorLayout layout({kLeft, kPrimaryRight}, kRoot);
  struct Case {
    Rect published, expected;
  };
  for (const Case& c : {
           Case{kRoot, {1280, 0, 1024, 768}},                             // no panels
           Case{{0, 30, 2304, 954}, {1280, 30, 1024, 738}},               // top panel over both
           Case{{0, 0, 2264, 1024}, {1280, 0, 984, 768}},                 // right panel
           Case{{12, 0, 1200, 1024}, {1280, 0, 1024, 768}},               // misses the primary
           Case{{}, {1280, 0, 1024, 768}},                                // nothing published
       }) {
    EXPECT_EQ(layout.PrimaryWorkArea(c.published), c.expected)
        << c.published.left << "," << c.published.top << " " << c.published.width << "x" << c.published.height;
  }
}

}  // namespace
