#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "ui/Guard.h"
#include "ui/WidgetFactory.h"

namespace {

struct KitTest : ::testing::Test {
  fakes::FakePlatform p;
  ui::Window w{p.widgets, {100, 100, true}};
};

TEST_F(KitTest, ProgramChangeOfCheckBoxRunsItsHandlerOnlyOnChange) {
  ui::CheckBox c(w, {}, "c");
  int runs = 0;
  c.OnClick = [&] { ++runs; };
  c.SetChecked(false);
  c.SetChecked(true);
  c.SetChecked(true);
  c.UserToggled(false);
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(p.widgets.PeerOf<fakes::FakeCheckPeer>(c).checked);
}

TEST_F(KitTest, CheckingUncheckedRadioRunsHandlerAndUnchecksSiblings) {
  ui::RadioGroup g;
  ui::RadioButton a(w, g, {}, "a"), b(w, g, {}, "b");
  int ra = 0, rb = 0;
  a.OnClick = [&] { ++ra; };
  b.OnClick = [&] { ++rb; };
  a.SetChecked(true);
  b.UserClicked();
  b.UserClicked();  // already checked: nothing
  EXPECT_EQ(ra, 1);
  EXPECT_EQ(rb, 1);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(p.widgets.PeerOf<fakes::FakeCheckPeer>(a).checked);
}

TEST_F(KitTest, SpinEditReadsItsTextOrItsMinimum) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {{"42", 42}, {" 7 ", 7}, {"abc", 5}, {"", 5}, {"12x", 5}, {"5000", 999},
               {"-3", 5}, {"+9", 9}, {"99999999999999999999", 999}};
  ui::SpinEdit s(w, {}, 5, 999, 100);
  for (const Case& c : cases) {
    s.UserTyped(c.text);
    EXPECT_EQ(s.Value(), c.expected) << c.text;
  }
  s.UserTyped("5000");
  s.UserLeft();
  EXPECT_EQ(s.Text(), "999");
  EXPECT_EQ(p.widgets.PeerOf<fakes::FakeSpinPeer>(s).text, "999");
}

TEST_F(KitTest, ComboBoxAcceptsOnlyItsItems) {
  ui::ComboBox c(w, {});
  c.SetItems({"a", "b", "c"});
  c.SetItemIndex(2);
  EXPECT_EQ(c.ItemIndex(), 2);
  c.SetItemIndex(7);
  EXPECT_EQ(c.ItemIndex(), -1);
  int changes = 0;
  c.OnChange = [&] { ++changes; };
  c.UserSelected(5);
  c.UserSelected(1);
  EXPECT_EQ(c.ItemIndex(), 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(KitTest, TimerSameValueKeepsPhaseNewValueRestartsPeriod) {
  ui::Timer t(p.widgets);
  std::vector<std::uint64_t> ticks;
  t.OnTimer = [&] { ticks.push_back(p.clock.now); };
  t.SetInterval(10);
  t.SetEnabled(true);
  p.clock.Advance(25);
  t.SetInterval(10);  // unchanged: phase kept
  t.SetEnabled(true);
  p.clock.Advance(10);
  t.SetInterval(20);  // new value at 35: next tick at 55
  p.clock.Advance(25);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{10, 20, 30, 55}));
}

TEST_F(KitTest, TicksDoNotPileUpWhileTheHandlerBlocks) {
  ui::Timer t(p.widgets);
  std::vector<std::uint64_t> ticks;
  t.OnTimer = [&] {
    ticks.push_back(p.clock.now);
    if (ticks.size() == 1) p.clock.Sleep(35);  // busy across three deadlines
  };
  t.SetInterval(10);
  t.SetEnabled(true);
  p.clock.Advance(70);
  // One merged tick right after the busy handler, then back on the 10 ms grid.
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{10, 45, 50, 60, 70}));
}

TEST_F(KitTest, ErrorsInHandlersReachTheReporterAndTheProgramGoesOn) {
  std::vector<std::string> reported;
  ui::SetErrorReporter([&](const std::string& t) { reported.push_back(t); });
  ui::Button b(w, {}, "b");
  b.OnClick = [] { throw std::runtime_error("Unable to write to x"); };
  b.UserClicked();
  b.UserClicked();
  ui::SetErrorReporter(nullptr);
  EXPECT_EQ(reported, (std::vector<std::string>{"Unable to write to x", "Unable to write to x"}));
}

}  // namespace
