#include "hotkeys/HotkeyModes.h"

namespace hotkeys {

namespace {
bool RunGoing(WindowState s) { return s == WindowState::Running || s == WindowState::Playing; }
}  // namespace

HotkeyAction HotkeyDecider::Decide(HotkeySlot slot, HotkeyEdge edge, WindowState state,
                                   HotkeyModes modes) {
  if (state == WindowState::EditorListening) return HotkeyAction::None;
  // A held key must never start a second run, whatever the mode.
  if (edge == HotkeyEdge::Repeat) return HotkeyAction::None;
  if (!RunGoing(state)) heldRun_ = false;

  switch (slot) {
    case HotkeySlot::Start:
      if (edge == HotkeyEdge::Release) {
        const bool stop = modes.hold && heldRun_ && RunGoing(state);
        heldRun_ = false;
        return stop ? HotkeyAction::StopRun : HotkeyAction::None;
      }
      if (state == WindowState::Idle) {
        heldRun_ = modes.hold;
        return HotkeyAction::StartRun;
      }
      if (RunGoing(state) && modes.toggle) {
        heldRun_ = false;
        return HotkeyAction::StopRun;
      }
      return HotkeyAction::None;
    case HotkeySlot::Stop:
      if (edge != HotkeyEdge::Press) return HotkeyAction::None;
      if (state == WindowState::Recording) return HotkeyAction::StopRecording;
      if (RunGoing(state)) {
        heldRun_ = false;
        return HotkeyAction::StopRun;
      }
      return HotkeyAction::None;
    case HotkeySlot::Record:
      if (edge == HotkeyEdge::Press && state == WindowState::RecordCountdown)
        return HotkeyAction::StartRecording;
      return HotkeyAction::None;
    case HotkeySlot::Pick:
      if (edge == HotkeyEdge::Press && state == WindowState::Idle) return HotkeyAction::PickPoint;
      return HotkeyAction::None;
  }
  return HotkeyAction::None;
}

}  // namespace hotkeys
