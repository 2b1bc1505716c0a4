#include "app/ControlCommand.h"

#include "app/FrmMain.h"
#include "i18n/Translation.h"
#include "ui/Guard.h"

namespace app {

namespace {

struct CommandInfo {
  ControlCommand command;
  const char* name;
  const char* help;
};

constexpr CommandInfo kCommands[] = {
    {ControlCommand::Start, "start", "start a run in the running copy"},
    {ControlCommand::Stop, "stop", "stop its run or its recording"},
    {ControlCommand::Toggle, "toggle", "stop its run if one is under way, else start one"},
    {ControlCommand::Record, "record", "begin recording a macro (again: end the countdown)"},
    {ControlCommand::Pick, "pick", "take the point under the cursor as the coordinates"},
};

const CommandInfo& Info(ControlCommand command) {
  for (const auto& info : kCommands)
    if (info.command == command) return info;
  return kCommands[0];
}

}  // namespace

std::string ControlName(ControlCommand command) { return Info(command).name; }
std::string ControlOption(ControlCommand command) { return std::string("--") + Info(command).name; }

std::optional<ControlCommand> ControlFromName(const std::string& name) {
  for (const auto& info : kCommands)
    if (name == info.name) return info.command;
  return std::nullopt;
}

const std::vector<ControlCommand>& AllControlCommands() {
  static const std::vector<ControlCommand> all = [] {
    std::vector<ControlCommand> v;
    for (const auto& info : kCommands) v.push_back(info.command);
    return v;
  }();
  return all;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  bool help = false;
  std::optional<ControlCommand> command;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) continue;
    const auto found = ControlFromName(arg.substr(2));
    if (!found) continue;
    if (command && *command != *found) {
      line.kind = CommandLine::Kind::Invalid;
      line.error = "one command at a time: " + ControlOption(*command) + " and " + arg;
      return line;
    }
    command = found;
  }
  if (help) {
    line.kind = CommandLine::Kind::Help;
  } else if (command) {
    line.kind = CommandLine::Kind::Send;
    line.command = *command;
  }
  return line;
}

std::string ControlUsage(const std::string& programName) {
  std::string text = "Usage: " + programName + " [COMMAND]\n\n"
                     "Without a command the program starts. A command goes to the copy already running\n"
                     "(over the session bus) and acts as its hotkeys would:\n\n";
  for (const auto& info : kCommands) {
    std::string option = std::string("  --") + info.name;
    option.resize(14, ' ');
    text += option + info.help + "\n";
  }
  text += "  --help      show this text\n\n"
          "A command exits with 0 when it was carried out, 1 when the running copy had nothing\n"
          "to do, 3 when no copy is running, 4 when the running copy did not answer.\n";
  return text;
}

ControlDecision DecideControl(ControlCommand command, const ControlState& s) {
  const bool recorderBusy = s.recording || s.waitingForRecordStart;
  const ControlDecision busyRecording{ControlAction::None, false, "A macro is being recorded."};
  const ControlDecision busyRunning{ControlAction::None, false, "A run is under way."};
  auto start = [&]() -> ControlDecision {
    if (recorderBusy) return busyRecording;
    if (s.running) return busyRunning;
    if (s.macrosMode && !s.macroSelected) return {ControlAction::None, false, "Please select a macro to play back."};
    return {ControlAction::StartRun, true, "Run started."};
  };
  switch (command) {
    case ControlCommand::Start:
      return start();
    case ControlCommand::Stop:
      if (s.recording) return {ControlAction::StopRecording, true, "Recording stopped."};
      if (s.running) return {ControlAction::StopRun, true, "Run stopped."};
      return {ControlAction::None, false, "No run is under way."};
    case ControlCommand::Toggle:
      if (!recorderBusy && s.running) return {ControlAction::StopRun, true, "Run stopped."};
      return start();
    case ControlCommand::Record:
      if (s.running) return busyRunning;
      if (s.recording) return busyRecording;
      if (s.waitingForRecordStart) return {ControlAction::StartRecordingNow, true, "Recording started."};
      return {ControlAction::BeginRecording, true, "Recording starts after the countdown."};
    case ControlCommand::Pick:
      if (recorderBusy) return busyRecording;
      if (s.running) return busyRunning;
      return {ControlAction::PickPoint, true, "Point taken from the cursor."};
  }
  return {};
}

void AnswerControlCommand(ControlCommand command, const std::function<void(bool, const std::string&)>& sendReply) {
  TFrmMain* form = TFrmMain::Instance();
  if (!form) {
    sendReply(false, TranslateText("The window is not ready yet."));
    return;
  }
  ControlState state;
  state.running = form->FRunning;
  state.recording = form->FRecording;
  state.waitingForRecordStart = form->FWaitingForRecordStart;
  state.macrosMode = form->rbMacros.Checked();
  state.macroSelected = form->GetSelectedMacro() != nullptr;
  const ControlDecision decision = DecideControl(command, state);
  sendReply(decision.done, TranslateText(decision.reply));
  ui::Guarded([form, &decision] {
    switch (decision.action) {
      case ControlAction::None:
        break;
      case ControlAction::StartRun:
        form->StartRun();
        break;
      case ControlAction::StopRun:
        form->StopRun((form->rbMacros.Checked() ? TranslateText("Stopped by command. Runs done: ")
                                                : TranslateText("Stopped by command. Clicks done: ")) +
                      std::to_string(form->FClicksDone));
        break;
      case ControlAction::StopRecording:
        form->StopRecording(TranslateText("Recording stopped by command."));
        break;
      case ControlAction::BeginRecording:
        form->BeginRecordingCountdown();
        break;
      case ControlAction::StartRecordingNow:
        form->StartRecording();
        break;
      case ControlAction::PickPoint:
        form->PickPointAtCursor();
        break;
    }
  });
}

}  // namespace app
