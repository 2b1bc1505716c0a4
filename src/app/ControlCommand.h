#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The control command: another copy of the program, started with one of the command
// options, asks the running copy to act as its hotkeys would. Which command does what in
// which state is decided here, from plain values; the editions carry the request.
namespace app {

enum class ControlCommand { Start, Stop, Toggle, Record, Pick };

// The option word of a command ("--start") and its name on the wire ("start").
std::string ControlOption(ControlCommand command);
std::string ControlName(ControlCommand command);
std::optional<ControlCommand> ControlFromName(const std::string& name);
const std::vector<ControlCommand>& AllControlCommands();

// What the command line asks for. Words that are not the program's own options are left
// to the toolkit, as before there were any; a start without options starts a copy.
struct CommandLine {
  enum class Kind { StartCopy, Help, Send, Invalid };
  Kind kind = Kind::StartCopy;
  ControlCommand command = ControlCommand::Start;
  std::string error;  // English, for Invalid
};
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints: the usage and one line per command.
std::string ControlUsage(const std::string& programName);

// The running copy's state, as far as a command depends on it.
struct ControlState {
  bool running = false;                // a click run or macro playback (its start delay too)
  bool recording = false;              // the recorder captures
  bool waitingForRecordStart = false;  // the recording countdown or its ready state
  bool macrosMode = false;             // "Macros:" is the target
  bool macroSelected = false;
};

enum class ControlAction { None, StartRun, StopRun, StopRecording, BeginRecording, StartRecordingNow, PickPoint };

struct ControlDecision {
  ControlAction action = ControlAction::None;
  bool done = false;   // false: the command changed nothing, and the sender exits non-zero
  std::string reply;   // English text; the running copy sends it translated
};

ControlDecision DecideControl(ControlCommand command, const ControlState& state);

// In the running copy: decides for its main window, sends the reply (translated) through
// sendReply and only then acts, so a dialog the action opens never holds the sender up.
// Without a main window (still starting, or closing) nothing is done.
void AnswerControlCommand(ControlCommand command, const std::function<void(bool done, const std::string& text)>& sendReply);

}  // namespace app
