#include <gtest/gtest.h>

#include <vector>

#include "hotkeys/HotkeyModes.h"

namespace {

using hotkeys::HotkeyAction;
using hotkeys::HotkeyDecider;
using hotkeys::HotkeyEdge;
using hotkeys::HotkeyModes;
using hotkeys::HotkeySlot;
using hotkeys::WindowState;

constexpr HotkeyModes kPlain{false, false}, kToggle{true, false}, kHold{false, true},
    kBoth{true, true};

// One event on a fresh decider: the whole table of single presses.
TEST(HotkeyModes, SingleEventTable) {
  struct Case {
    HotkeySlot slot;
    HotkeyEdge edge;
    WindowState state;
    HotkeyModes modes;
    HotkeyAction action;
  } cases[] = {
      // Start, plain: starts from idle only; a second press during a run does nothing.
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, kPlain, HotkeyAction::StartRun},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Running, kPlain, HotkeyAction::None},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Playing, kPlain, HotkeyAction::None},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Recording, kPlain, HotkeyAction::None},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::RecordCountdown, kPlain, HotkeyAction::None},
      {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, kPlain, HotkeyAction::None},
      // Toggle: the start hotkey stops a click run and a playback, never a recording.
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Running, kToggle, HotkeyAction::StopRun},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Playing, kToggle, HotkeyAction::StopRun},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Recording, kToggle, HotkeyAction::None},
      {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, kToggle, HotkeyAction::StartRun},
      // A release the decider did not see start in hold mode stops nothing.
      {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, kHold, HotkeyAction::None},
      // Auto-repeat never acts, in any mode or state.
      {HotkeySlot::Start, HotkeyEdge::Repeat, WindowState::Idle, kBoth, HotkeyAction::None},
      {HotkeySlot::Start, HotkeyEdge::Repeat, WindowState::Running, kBoth, HotkeyAction::None},
      {HotkeySlot::Stop, HotkeyEdge::Repeat, WindowState::Running, kPlain, HotkeyAction::None},
      // Stop: a run, a playback, a recording; not the countdown or idle.
      {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::Running, kPlain, HotkeyAction::StopRun},
      {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::Playing, kHold, HotkeyAction::StopRun},
      {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::Recording, kPlain, HotkeyAction::StopRecording},
      {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::Idle, kPlain, HotkeyAction::None},
      {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::RecordCountdown, kPlain, HotkeyAction::None},
      {HotkeySlot::Stop, HotkeyEdge::Release, WindowState::Running, kPlain, HotkeyAction::None},
      // Record: only during the countdown.
      {HotkeySlot::Record, HotkeyEdge::Press, WindowState::RecordCountdown, kPlain, HotkeyAction::StartRecording},
      {HotkeySlot::Record, HotkeyEdge::Press, WindowState::Idle, kPlain, HotkeyAction::None},
      {HotkeySlot::Record, HotkeyEdge::Press, WindowState::Recording, kPlain, HotkeyAction::None},
      // Pick: only while nothing runs.
      {HotkeySlot::Pick, HotkeyEdge::Press, WindowState::Idle, kPlain, HotkeyAction::PickPoint},
      {HotkeySlot::Pick, HotkeyEdge::Press, WindowState::Running, kPlain, HotkeyAction::None},
      {HotkeySlot::Pick, HotkeyEdge::Press, WindowState::Playing, kPlain, HotkeyAction::None},
      {HotkeySlot::Pick, HotkeyEdge::Press, WindowState::RecordCountdown, kPlain, HotkeyAction::None},
      {HotkeySlot::Pick, HotkeyEdge::Press, WindowState::Recording, kPlain, HotkeyAction::None},
      {HotkeySlot::Pick, HotkeyEdge::Release, WindowState::Idle, kPlain, HotkeyAction::None},
  };
  for (const Case& c : cases) {
    HotkeyDecider d;
    EXPECT_EQ(d.Decide(c.slot, c.edge, c.state, c.modes), c.action)
        << "slot " << static_cast<int>(c.slot) << " edge " << static_cast<int>(c.edge) << " state "
        << static_cast<int>(c.state) << " toggle " << c.modes.toggle << " hold " << c.modes.hold;
  }
}

// While the editor listens nothing acts, whatever the slot, edge or mode.
TEST(HotkeyModes, EditorListeningSwallowsEverything) {
  for (HotkeySlot s : {HotkeySlot::Start, HotkeySlot::Stop, HotkeySlot::Record, HotkeySlot::Pick})
    for (HotkeyEdge e : {HotkeyEdge::Press, HotkeyEdge::Release, HotkeyEdge::Repeat})
      for (HotkeyModes m : {kPlain, kToggle, kHold, kBoth}) {
        HotkeyDecider d;
        EXPECT_EQ(d.Decide(s, e, WindowState::EditorListening, m), HotkeyAction::None);
      }
}

// Sequences: what a press remembers decides what its release does.
TEST(HotkeyModes, HoldSequences) {
  struct Step {
    HotkeySlot slot;
    HotkeyEdge edge;
    WindowState state;
    HotkeyAction action;
  };
  struct Sequence {
    const char* name;
    HotkeyModes modes;
    std::vector<Step> steps;
    bool runEndedAfterFirst = false;
  } sequences[] = {
      {"press starts, repeats do nothing, release stops",
       kHold,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        {HotkeySlot::Start, HotkeyEdge::Repeat, WindowState::Running, HotkeyAction::None},
        {HotkeySlot::Start, HotkeyEdge::Repeat, WindowState::Running, HotkeyAction::None},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, HotkeyAction::StopRun},
        // A second release (a stray one) stops nothing more.
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Idle, HotkeyAction::None}}},
      {"release during a playback stops it too",
       kHold,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Playing, HotkeyAction::StopRun}}},
      {"the stop hotkey still works while held; the release then stops nothing",
       kHold,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::Running, HotkeyAction::StopRun},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, HotkeyAction::None}}},
      {"a run that ended by itself is not stopped later by the release of the next one",
       kHold,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        // the window was idle when the next event came: the remembered hold is gone
        {HotkeySlot::Stop, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::None},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, HotkeyAction::None}}},
      {"a run ended by the button, then started again by the button",
       kHold,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, HotkeyAction::None}},
       true},
      {"without hold the release never stops",
       kToggle,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, HotkeyAction::None},
        {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Running, HotkeyAction::StopRun}}},
      {"toggle and hold: a press during a held run stops it, its release stops nothing",
       kBoth,
       {{HotkeySlot::Start, HotkeyEdge::Press, WindowState::Idle, HotkeyAction::StartRun},
        {HotkeySlot::Start, HotkeyEdge::Press, WindowState::Running, HotkeyAction::StopRun},
        {HotkeySlot::Start, HotkeyEdge::Release, WindowState::Running, HotkeyAction::None}}},
  };
  for (const Sequence& seq : sequences) {
    HotkeyDecider d;
    for (std::size_t i = 0; i < seq.steps.size(); ++i) {
      const Step& s = seq.steps[i];
      EXPECT_EQ(d.Decide(s.slot, s.edge, s.state, seq.modes), s.action) << seq.name << ", step " << i;
      if (i == 0 && seq.runEndedAfterFirst) d.RunEnded();
    }
  }
}

}  // namespace
