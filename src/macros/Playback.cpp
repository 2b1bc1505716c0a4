#include <string>

#include "app/FrmMain.h"
#include "i18n/Translation.h"

namespace {

// Waits longer than this are cut into slices of at most this length, with the message
// queue served between them: a stop then takes effect within about one slice instead of
// after a wait that a hand-edited file may stretch to weeks. Shorter waits stay one plain
// sleep, so the many small gaps of a recorded macro cost nothing extra.
constexpr std::uint32_t kWaitSliceMs = 50;

}  // namespace

void TFrmMain::StartMacroPlayback() {
  // Start has hidden the window already when the option is ticked; it is visible here
  // only when the user brought it back from the tray during the start delay.
  if (chkMinimizeToTrayOnStart.Checked() && Form.Visible()) {
    FHiddenForMacroPlayback = true;
    HideToTray();
    svc_.queue.ProcessMessages();
    svc_.clock.Sleep(250);
  }
  PlayMacro();
}

void TFrmMain::PlayMacro() {
  // The list holds the macro by shared ownership and never changes a listed macro's
  // events (Rename swaps in a renamed copy, Remove drops the list's reference), so this
  // reference is an unchanged snapshot for the whole playback, whatever the user does to
  // the list while the queue is served.
  const MacroPtr macro = GetSelectedMacro();
  if (!macro) {
    StopRun(TranslateText("No macro selected."));
    return;
  }
  const std::vector<TMacroMouseEvent>& events = macro->Events();
  const bool untilStopped = rbUntilStopped.Checked();
  const int repeatCount = seRepeat.Value();
  int pass = 0;
  auto stopped = [this] { return !FRunning || FStopPlaybackRequested; };

  // Sleeps `ms` and reports false when a stop came in meanwhile. A long wait is measured
  // against the tick counter from its start, so the time spent serving the queue between
  // slices is absorbed instead of adding up.
  auto wait = [this, &stopped](std::uint32_t ms) {
    if (ms <= kWaitSliceMs) {
      svc_.clock.Sleep(ms);
      return true;
    }
    const std::uint32_t start = svc_.clock.GetTickCount();
    for (;;) {
      const std::uint32_t elapsed = svc_.clock.GetTickCount() - start;
      if (elapsed >= ms) return true;
      const std::uint32_t left = ms - elapsed;
      svc_.clock.Sleep(left < kWaitSliceMs ? left : kWaitSliceMs);
      if (left <= kWaitSliceMs) return true;
      svc_.queue.ProcessMessages();
      if (stopped()) return false;
    }
  };

  while (!stopped()) {
    ++pass;
    std::uint32_t previous = 0;
    for (const TMacroMouseEvent& e : events) {
      svc_.queue.ProcessMessages();
      if (stopped()) break;
      if (e.DeltaMs > previous && !wait(e.DeltaMs - previous)) break;
      previous = e.DeltaMs;
      switch (e.Kind) {
        case mekMove:
          MoveMouseTo(e.X, e.Y);
          break;
        case mekDown:
          MoveMouseTo(e.X, e.Y);
          SendMouseDown(e.Button);
          break;
        case mekUp:
          MoveMouseTo(e.X, e.Y);
          SendMouseUp(e.Button);
          break;
        default:
          break;  // a kind from a hand-edited file: its wait is kept, nothing is sent
      }
    }
    if (stopped()) break;  // a pass cut short is not counted
    ++FClicksDone;
    svc_.queue.ProcessMessages();
    if (!untilStopped && pass >= repeatCount) break;
  }

  if (!FStopPlaybackRequested && FRunning) {
    if (rbRepeatCount.Checked())
      StopRun(TranslateText("Completed macro repeat count. Runs done: ") + std::to_string(FClicksDone));
    else
      StopRun(TranslateText("Macro playback stopped. Runs done: ") + std::to_string(FClicksDone));
  }
}
