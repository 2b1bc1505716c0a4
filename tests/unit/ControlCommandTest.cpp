#include "app/ControlCommand.h"

#include <gtest/gtest.h>

using app::CommandLine;
using app::ControlAction;
using app::ControlCommand;
using app::ControlState;

namespace {

ControlState Idle() { return {}; }
ControlState Running() {
  ControlState s;
  s.running = true;
  return s;
}
ControlState Recording() {
  ControlState s;
  s.recording = true;
  return s;
}
ControlState Countdown() {
  ControlState s;
  s.waitingForRecordStart = true;
  return s;
}
ControlState MacrosWithoutSelection() {
  ControlState s;
  s.macrosMode = true;
  return s;
}
ControlState MacrosSelected() {
  ControlState s;
  s.macrosMode = true;
  s.macroSelected = true;
  return s;
}

}  // namespace

TEST(ControlCommand, EachCommandInEachState) {
  struct Case {
    const char* what;
    ControlCommand command;
    ControlState state;
    ControlAction action;
    bool done;
  };
  const Case cases[] = {
      {"start idle", ControlCommand::Start, Idle(), ControlAction::StartRun, true},
      {"start twice", ControlCommand::Start, Running(), ControlAction::None, false},
      {"start while recording", ControlCommand::Start, Recording(), ControlAction::None, false},
      {"start in the countdown", ControlCommand::Start, Countdown(), ControlAction::None, false},
      {"start macros, none chosen", ControlCommand::Start, MacrosWithoutSelection(), ControlAction::None, false},
      {"start macros, one chosen", ControlCommand::Start, MacrosSelected(), ControlAction::StartRun, true},
      {"stop a run", ControlCommand::Stop, Running(), ControlAction::StopRun, true},
      {"stop idle", ControlCommand::Stop, Idle(), ControlAction::None, false},
      {"stop a recording", ControlCommand::Stop, Recording(), ControlAction::StopRecording, true},
      // As the stop hotkey: the countdown is left to its own Stop.
      {"stop in the countdown", ControlCommand::Stop, Countdown(), ControlAction::None, false},
      {"toggle idle", ControlCommand::Toggle, Idle(), ControlAction::StartRun, true},
      {"toggle running", ControlCommand::Toggle, Running(), ControlAction::StopRun, true},
      {"toggle while recording", ControlCommand::Toggle, Recording(), ControlAction::None, false},
      {"toggle in the countdown", ControlCommand::Toggle, Countdown(), ControlAction::None, false},
      {"toggle macros, none chosen", ControlCommand::Toggle, MacrosWithoutSelection(), ControlAction::None, false},
      {"record idle", ControlCommand::Record, Idle(), ControlAction::BeginRecording, true},
      {"record in the countdown", ControlCommand::Record, Countdown(), ControlAction::StartRecordingNow, true},
      {"record twice", ControlCommand::Record, Recording(), ControlAction::None, false},
      {"record while running", ControlCommand::Record, Running(), ControlAction::None, false},
      {"pick idle", ControlCommand::Pick, Idle(), ControlAction::PickPoint, true},
      {"pick while running", ControlCommand::Pick, Running(), ControlAction::None, false},
      {"pick while recording", ControlCommand::Pick, Recording(), ControlAction::None, false},
  };
  for (const Case& c : cases) {
    const app::ControlDecision d = app::DecideControl(c.command, c.state);
    EXPECT_EQ(d.action, c.action) << c.what;
    EXPECT_EQ(d.done, c.done) << c.what;
    // The sender prints the reply either way: it must say something.
    EXPECT_FALSE(d.reply.empty()) << c.what;
    // Whatever changes something is done; nothing done changes nothing.
    EXPECT_EQ(d.done, d.action != ControlAction::None) << c.what;
  }
}

TEST(ControlCommand, CommandLine) {
  struct Case {
    std::vector<std::string> args;
    CommandLine::Kind kind;
    ControlCommand command;
  };
  const Case cases[] = {
      {{}, CommandLine::Kind::StartCopy, ControlCommand::Start},
      // Toolkit options and stray words start a copy as before.
      {{"-platform", "xcb", "start"}, CommandLine::Kind::StartCopy, ControlCommand::Start},
      {{"--starts"}, CommandLine::Kind::StartCopy, ControlCommand::Start},
      {{"-start"}, CommandLine::Kind::StartCopy, ControlCommand::Start},
      {{"--start"}, CommandLine::Kind::Send, ControlCommand::Start},
      {{"--stop"}, CommandLine::Kind::Send, ControlCommand::Stop},
      {{"--toggle"}, CommandLine::Kind::Send, ControlCommand::Toggle},
      {{"--record"}, CommandLine::Kind::Send, ControlCommand::Record},
      {{"--pick"}, CommandLine::Kind::Send, ControlCommand::Pick},
      {{"--toggle", "--toggle"}, CommandLine::Kind::Send, ControlCommand::Toggle},
      {{"--start", "--stop"}, CommandLine::Kind::Invalid, ControlCommand::Start},
      {{"--help"}, CommandLine::Kind::Help, ControlCommand::Start},
      {{"--stop", "-h"}, CommandLine::Kind::Help, ControlCommand::Start},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    const CommandLine line = app::ParseCommandLine(c.args);
    EXPECT_EQ(line.kind, c.kind) << joined;
    if (c.kind == CommandLine::Kind::Send) {
      EXPECT_EQ(line.command, c.command) << joined;
    }
    if (c.kind == CommandLine::Kind::Invalid) {
      EXPECT_FALSE(line.error.empty()) << joined;
    }
  }
}

TEST(ControlCommand, NamesRoundTripAndHelpListsEveryCommand) {
  const std::string usage = app::ControlUsage("qel-autoclicker");
  for (ControlCommand c : app::AllControlCommands()) {
    EXPECT_EQ(app::ControlFromName(app::ControlName(c)), c);
    EXPECT_NE(usage.find(app::ControlOption(c) + " "), std::string::npos) << app::ControlOption(c);
  }
  EXPECT_EQ(app::ControlFromName("Start"), std::nullopt);
  EXPECT_EQ(app::ControlFromName(""), std::nullopt);
  EXPECT_NE(usage.find("--help"), std::string::npos);
}
