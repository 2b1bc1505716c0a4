#include <gtest/gtest.h>

#include "app/FrmMain.h"
#include "clicker/AbsoluteCoord.h"
#include "fakes/FakeServices.h"

namespace {

using platform::MouseInputRecord;

TEST(AbsoluteCoord, MapsTheVirtualDesktopOntoTheAbsoluteRange) {
  struct Case {
    int value, origin, extent, expected;
  } cases[] = {
      {0, 0, 1920, 0},      {1919, 0, 1920, 65535}, {960, 0, 1920, 32785}, {5000, 0, 1920, 65535},
      {0, -1920, 3840, 32776}, {-5, 0, 1920, 0},   {7, 0, 1, 0},          {7, 0, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(clicker::ToAbsoluteCoord(c.value, c.origin, c.extent), c.expected)
        << c.value << " in " << c.origin << "+" << c.extent;
}

struct SynthesisTest : ::testing::Test {
  fakes::FakePlatform p;
  TFrmMain f{p.services};
  std::vector<MouseInputRecord> OneAction() {
    p.mouse.sent.clear();
    f.PerformClick(f.GetTargetPoint());
    return p.mouse.sent;
  }
};

TEST_F(SynthesisTest, RecordsOfEveryClickTypeAndMode) {
  const MouseInputRecord move{32785, 32798, 0xC001};  // (960, 540) on 1920 x 1080
  struct Case {
    bool coordinates;
    int button, type;
    std::vector<MouseInputRecord> expected;
  } cases[] = {
      {true, 0, 0, {move, {0, 0, 0x2}, {0, 0, 0x4}}},
      {false, 0, 0, {{0, 0, 0x2}, {0, 0, 0x4}}},
      {false, 2, 1, {{0, 0, 0x20}, {0, 0, 0x40}, {0, 0, 0x20}, {0, 0, 0x40}}},
      {true, 1, 1, {move, {0, 0, 0x8}, {0, 0, 0x10}, {0, 0, 0x8}, {0, 0, 0x10}}},
      {true, 1, 2, {move, {0, 0, 0x8}, {0, 0, 0x10}}},
      {false, 0, 2, {{0, 0, 0x2}, {0, 0, 0x4}}},
  };
  f.edtCoordX.SetValue(960);
  f.edtCoordY.SetValue(540);
  for (const Case& c : cases) {
    (c.coordinates ? f.rbCoordinates : f.rbCurrentCursorPosition).UserClicked();
    f.cbButton.UserSelected(c.button);
    f.cbClickType.UserSelected(c.type);
    EXPECT_EQ(OneAction(), c.expected) << c.coordinates << " " << c.button << " " << c.type;
  }
}

TEST_F(SynthesisTest, HoldWaitsTheHoldTimeAndZeroDoesNotWait) {
  f.cbClickType.UserSelected(2);
  f.seHoldMs.SetValue(250);
  OneAction();
  f.seHoldMs.SetValue(0);
  OneAction();
  EXPECT_EQ(p.clock.sleeps, (std::vector<std::uint32_t>{250}));
}

TEST_F(SynthesisTest, TargetPointPerMode) {
  p.screen.cursor = {12, 34};
  EXPECT_EQ(f.GetTargetPoint(), (ui::Point{12, 34}));
  f.rbCoordinates.UserClicked();
  f.edtCoordX.UserTyped("abc");  // not a whole number: 0
  f.edtCoordY.UserTyped("77");
  EXPECT_EQ(f.GetTargetPoint(), (ui::Point{0, 77}));
  f.rbMacros.UserClicked();
  EXPECT_EQ(f.GetTargetPoint(), (ui::Point{0, 0}));
}

TEST_F(SynthesisTest, NoSelectionInTheListsMeansLeftSingle) {
  f.cbButton.SetItemIndex(-1);
  f.cbClickType.SetItemIndex(5);
  EXPECT_EQ(OneAction(), (std::vector<MouseInputRecord>{{0, 0, 0x2}, {0, 0, 0x4}}));
}

TEST_F(SynthesisTest, AButtonOutsideTheListSendsNoButtonFlag) {
  f.SendMouseDown(7);
  EXPECT_EQ(p.mouse.sent.back(), (MouseInputRecord{0, 0, 0}));
}

}  // namespace
