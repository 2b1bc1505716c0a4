#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "app/FrmMain.h"
#include "i18n/Translation.h"
#include "macros/HeldButtons.h"
#include "macros/PlaybackSpeed.h"

namespace {

// Waits longer than this are cut into slices of at most this length, with the message
// queue served between them: a stop then takes effect within about one slice instead of
// after a wait that a hand-edited file may stretch to weeks. Shorter waits stay one plain
// sleep, so the many small gaps of a recorded macro cost nothing extra.
constexpr std::uint64_t kWaitSliceMs = 50;

// Each event is due its time-stamp difference after the previous event was *due*, not
// after it was sent: every sleep overshoots a little and sending and serving the queue
// take time, and over the thousands of small gaps of a recorded macro that added up to
// a fifth of a second in ten seconds when measured. Held to the recorded schedule, each
// event stays within about a millisecond of its offset from the start of the pass. A
// delay beyond this limit (a dialog opened while the queue was served, a stalled
// system) is not caught up with a burst of events: the schedule moves on from there.
constexpr std::uint64_t kLateLimitMs = 50;

// Notches as the distance a wheel record carries, held to what 32 bits can say: a
// hand-written count in the millions scrolls as far as one record can, not backwards.
std::int32_t WheelDistance(std::int32_t notches) {
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max() / platform::kWheelNotch;
  const std::int64_t n = std::clamp<std::int64_t>(notches, -kLimit, kLimit);
  return static_cast<std::int32_t>(n * platform::kWheelNotch);
}

}  // namespace

void TFrmMain::StartMacroPlayback() {
  // Start has hidden the window already when the option is ticked; it is visible here
  // only when the user brought it back from the tray during the start delay.
  if (chkMinimizeToTrayOnStart.Checked() && Form.Visible() && !Form.Minimized()) {
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

  // Time is kept in microseconds from the start of playback: a wait computed from the
  // millisecond tick counter ends up to a whole millisecond late, depending on where in
  // its millisecond it begins, and 64 bits never wrap.
  // The screen's geometry is read once before the schedule starts: the first move of a
  // pass would otherwise pay for reading it (milliseconds on X11).
  svc_.screen.VirtualDesktop();
  const std::uint64_t origin = svc_.clock.NowMicros();
  auto now = [&] { return svc_.clock.NowMicros() - origin; };
  constexpr std::uint64_t kSliceUs = kWaitSliceMs * 1000;
  // Sleeps until `due`; false when a stop came in meanwhile (nothing may be sent then).
  auto waitUntil = [&](std::uint64_t due) {
    for (;;) {
      const std::uint64_t t = now();
      if (t >= due) return true;
      if (due - t <= kSliceUs) {
        svc_.clock.SleepMicros(due - t);
        return true;
      }
      svc_.clock.SleepMicros(kSliceUs);
      svc_.queue.ProcessMessages();
      if (stopped()) return false;
    }
  };

  macros::HeldButtons held;
  // After a stop only the releases are sent: of the buttons this playback left pressed.
  auto releaseHeld = [&] {
    held.ReleaseAll([this](int button) {
      try {
        SendMouseUp(button);
      } catch (...) {
        // A courtesy on the way out; the error that ended playback is the one to report.
      }
    });
    held.ReleaseAllKeys([this](std::uint32_t vk) {
      try {
        svc_.mouse.SendKey({vk, false});
      } catch (...) {
        // As above.
      }
    });
  };
  try {
    while (!stopped()) {
      ++pass;
      std::uint32_t previous = 0;
      macros::SpeedScale speed(FSpeed);
      std::uint64_t due = now();  // the first event waits its own full time stamp
      for (const TMacroMouseEvent& e : events) {
        svc_.queue.ProcessMessages();
        if (stopped()) break;
        if (e.DeltaMs > previous) due += speed.Next(static_cast<std::uint64_t>(e.DeltaMs - previous) * 1000);
        previous = e.DeltaMs;
        const std::uint64_t t = now();
        if (t > due + kLateLimitMs * 1000) due = t;
        if (!waitUntil(due)) break;
        switch (e.Kind) {
          case mekMove:
            MoveMouseTo(e.X, e.Y);
            break;
          case mekDown:
            MoveMouseTo(e.X, e.Y);
            SendMouseDown(e.Button);
            held.Pressed(e.Button);
            break;
          case mekUp:
            MoveMouseTo(e.X, e.Y);
            SendMouseUp(e.Button);
            held.Released(e.Button);
            break;
          case mekKeyDown:
          case mekKeyUp:
            // Codes outside a byte are no key at all: waited for like an unknown kind.
            if (e.Button < 1 || e.Button > 255) break;
            svc_.mouse.SendKey({static_cast<std::uint32_t>(e.Button), e.Kind == mekKeyDown});
            if (e.Kind == mekKeyDown)
              held.KeyPressed(e.Button);
            else
              held.KeyReleased(e.Button);
            break;
          case mekWheel:
            MoveMouseTo(e.X, e.Y);
            if (e.Button != 0) svc_.mouse.Send({0, 0, platform::kMouseWheel, WheelDistance(e.Button)});
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
  } catch (...) {
    releaseHeld();
    throw;
  }
  // A pass that completes leaves what its macro left, as recorded; a stop leaves nothing.
  if (stopped()) releaseHeld();

  if (!FStopPlaybackRequested && FRunning) {
    if (rbRepeatCount.Checked())
      StopRun(TranslateText("Completed macro repeat count. Runs done: ") + std::to_string(FClicksDone));
    else
      StopRun(TranslateText("Macro playback stopped. Runs done: ") + std::to_string(FClicksDone));
  }
}
