#pragma once

namespace hotkeys {

// Which of the user's hotkeys an event belongs to.
enum class HotkeySlot { Start, Stop, Record, Pick };

// A press, its release, or a press the keyboard repeats while the combination stays down.
enum class HotkeyEdge { Press, Release, Repeat };

// What the main window is doing when the event arrives.
enum class WindowState {
  Idle,
  RecordCountdown,  // the seconds before a recording starts
  Running,          // a click run, its start delay included
  Playing,          // a macro playback run
  Recording,
  EditorListening,  // the hotkey editor waits for a combination: no hotkey acts
};

enum class HotkeyAction { None, StartRun, StopRun, StartRecording, StopRecording, PickPoint };

// The start hotkey's two optional modes; both off is the program's original behaviour.
struct HotkeyModes {
  bool toggle = false;  // the start hotkey also stops a run
  bool hold = false;    // a run lasts while the start hotkey is held
};

// Decides what a hotkey event does. It remembers one thing: whether the running run was
// started by a press in hold mode, because only that run ends when the key is released
// (a run started by the button is not stopped by releasing a key the user never pressed).
class HotkeyDecider {
 public:
  HotkeyAction Decide(HotkeySlot slot, HotkeyEdge edge, WindowState state, HotkeyModes modes);
  // The window reports that the run ended by itself (count reached, stopped by button).
  void RunEnded() { heldRun_ = false; }

 private:
  bool heldRun_ = false;
};

}  // namespace hotkeys
