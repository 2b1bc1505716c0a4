#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <vector>

#include "macros/MacroEditor.h"
#include "macros/RecordedMacro.h"

namespace {

using macros::EditorStep;
using macros::MacroEditor;
using Steps = std::vector<EditorStep>;

TMacroMouseEvent Ev(std::uint32_t t, std::uint8_t kind, int x, int y, int button) {
  TMacroMouseEvent e;
  e.DeltaMs = t;
  e.Kind = kind;
  e.X = x;
  e.Y = y;
  e.Button = button;
  return e;
}

TRecordedMacro Recorded() {
  TRecordedMacro m;
  m.SetName("morning");
  m.SetFileName("/m/morning.qelmac");
  m.SetDurationMs(700);
  m.Events() = {Ev(0, mekMove, 10, 10, -1), Ev(100, mekDown, 10, 10, 0), Ev(180, mekUp, 10, 10, 0),
                Ev(500, mekDown, 50, 60, 1), Ev(700, mekUp, 50, 60, 1)};
  return m;
}

// Waits are the gaps between the stamps; a stamp earlier than the one before (a
// hand-edited file) waits for nothing, as playback treats it, and the later ones are
// measured from the latest stamp seen.
TEST(MacroEditorTest, StepsHoldTheWaitsBetweenEventsAndWriteBackTheSameMacro) {
  const MacroEditor ed(Recorded());
  EXPECT_EQ(ed.Steps(), (Steps{{0, mekMove, 10, 10, -1},
                               {100, mekDown, 10, 10, 0},
                               {80, mekUp, 10, 10, 0},
                               {320, mekDown, 50, 60, 1},
                               {200, mekUp, 50, 60, 1}}));
  EXPECT_EQ(ed.DurationMs(), 700u);
  EXPECT_FALSE(ed.Modified());
  const TRecordedMacro back = ed.ToMacro();
  EXPECT_EQ(back.Events(), Recorded().Events());
  EXPECT_EQ(back.Name(), "morning");
  EXPECT_EQ(back.FileName(), "/m/morning.qelmac");
  EXPECT_EQ(back.DurationMs(), 700u);

  TRecordedMacro odd;
  odd.Events() = {Ev(500, mekMove, 1, 1, -1), Ev(200, mekMove, 2, 2, -1), Ev(600, mekMove, 3, 3, -1)};
  const MacroEditor oddEd(odd);
  EXPECT_EQ(oddEd.Steps()[1].WaitMs, 0u);
  EXPECT_EQ(oddEd.Steps()[2].WaitMs, 100u);
  // Written back, the stamps never go back in time, and the last one is the duration.
  const TRecordedMacro fixed = oddEd.ToMacro();
  EXPECT_EQ(fixed.Events()[1].DeltaMs, 500u);
  EXPECT_EQ(fixed.DurationMs(), 600u);
}

// Each edit changes the one step; the steps after it keep their waits, so they move in
// time with it, and the duration stays the last event's time.
TEST(MacroEditorTest, EditsKeepTheOtherWaitsAndTheDurationFollows) {
  MacroEditor ed(Recorded());
  ed.Remove(1);  // the first press: its release now follows the move after 80 ms
  EXPECT_TRUE(ed.Modified());
  EXPECT_EQ(ed.ToMacro().Events()[1], Ev(80, mekUp, 10, 10, 0));
  EXPECT_EQ(ed.DurationMs(), 600u);
  ed.SetWait(0, 1000);
  EXPECT_EQ(ed.ToMacro().Events()[3], Ev(1600, mekUp, 50, 60, 1));
  EXPECT_EQ(ed.ToMacro().DurationMs(), 1600u);
  ed.SetX(2, -5), ed.SetY(2, 7), ed.SetButton(2, 2), ed.SetKind(2, mekMove);
  EXPECT_EQ(ed.Steps()[2], (EditorStep{320, mekMove, -5, 7, 2}));

  ed.Duplicate(0);
  EXPECT_EQ(ed.Steps()[1], ed.Steps()[0]);
  EXPECT_EQ(ed.DurationMs(), 2600u);
  EXPECT_FALSE(ed.MoveUp(0));
  EXPECT_FALSE(ed.MoveDown(ed.Count() - 1));
  EXPECT_TRUE(ed.MoveDown(2));  // the release now comes after the move
  EXPECT_EQ(ed.Steps()[2].Kind, mekMove);
  EXPECT_EQ(ed.Steps()[3].Kind, mekUp);
  EXPECT_TRUE(ed.MoveUp(3));
  EXPECT_EQ(ed.Steps()[2].Kind, mekUp);

  // Rows that are not there (a stale selection) change nothing.
  const Steps before = ed.Steps();
  ed.MarkSaved();
  ed.Remove(99), ed.Duplicate(99), ed.SetWait(99, 1), ed.SetX(99, 1), ed.SetButton(99, 1);
  EXPECT_FALSE(ed.MoveUp(99));
  EXPECT_FALSE(ed.MoveDown(99));
  ed.SetWait(0, ed.Steps()[0].WaitMs);  // the same value: no change either
  EXPECT_EQ(ed.Steps(), before);
  EXPECT_FALSE(ed.Modified());

  while (ed.Count() > 0) ed.Remove(0);
  EXPECT_EQ(ed.DurationMs(), 0u);
  EXPECT_EQ(ed.ToMacro().DurationMs(), 0u);
}

TEST(MacroEditorTest, AddedClicksKeysAndWheelStepsAreWholeStepsAtTheirPlace) {
  MacroEditor ed;
  EXPECT_EQ(ed.AddClick(0, 0, 100, 200, 50, 30), 0u);
  EXPECT_EQ(ed.AddKey(99, 'A', 10, 20), 2u);  // beyond the end: appended
  EXPECT_EQ(ed.AddWheel(2, -3, 5, 6, 40), 2u);
  EXPECT_EQ(ed.AddMove(0, 7, 8, 0), 0u);
  EXPECT_EQ(ed.Steps(), (Steps{{0, mekMove, 7, 8, -1},
                               {50, mekDown, 100, 200, 0},
                               {30, mekUp, 100, 200, 0},
                               {40, mekWheel, 5, 6, -3},
                               {10, mekKeyDown, 0, 0, 'A'},
                               {20, mekKeyUp, 0, 0, 'A'}}));
  const TRecordedMacro m = ed.ToMacro();
  EXPECT_EQ(m.DurationMs(), 150u);
  // Through the file and back, a built sequence is the same macro.
  const auto again = TRecordedMacro::FromText(m.ToText());
  EXPECT_EQ(MacroEditor(*again).Steps(), ed.Steps());
}

TEST(MacroEditorTest, TimesAreHeldAtTheLargestStampInsteadOfWrapping) {
  MacroEditor ed;
  ed.AddMove(0, 0, 0, std::numeric_limits<std::uint32_t>::max());
  ed.AddMove(1, 1, 1, 10);
  EXPECT_EQ(ed.DurationMs(), std::numeric_limits<std::uint32_t>::max());
  EXPECT_EQ(ed.ToMacro().Events()[1].DeltaMs, std::numeric_limits<std::uint32_t>::max());
}

// A long recording opens in the editor, and goes back into a macro, at once.
TEST(MacroEditorTest, AHundredThousandStepsLoadAndSaveQuickly) {
  TRecordedMacro m;
  for (std::uint32_t i = 0; i < 100000; ++i) m.Events().push_back(Ev(i * 3, static_cast<std::uint8_t>(i % 3), 5, 5, 0));
  const auto t0 = std::chrono::steady_clock::now();
  MacroEditor ed(m);
  const TRecordedMacro back = ed.ToMacro();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(ed.Count(), 100000u);
  EXPECT_EQ(back.Events(), m.Events());
  EXPECT_LT(ms, 1000) << "100 000 steps took " << ms << " ms";
  RecordProperty("load_and_save_ms", static_cast<int>(ms));
}

}  // namespace
