#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fakes/TempFolder.h"
#include "app/FrmMain.h"
#include "fakes/FakeServices.h"
#include "i18n/Translation.h"
#include "platform/Files.h"
#include "settings/DataFolder.h"
#include "ui/Guard.h"

namespace macrotest {

namespace fs = std::filesystem;

inline TMacroMouseEvent Ev(std::uint32_t t, std::uint8_t kind, int x, int y, int button) {
  TMacroMouseEvent e;
  e.DeltaMs = t;
  e.Kind = kind;
  e.X = x;
  e.Y = y;
  e.Button = button;
  return e;
}

// The main window with every service faked and a real, private data folder (APPDATA),
// so the macro folder is a real folder on disk. The window is opened by the test, after
// it has laid out the files it needs.
struct MacroWindow : ::testing::Test {
  fakes::TempFolder temp{"qel-macros"};
  fs::path appData;
  fakes::FakePlatform p;
  std::unique_ptr<TFrmMain> f;
  std::string folder;
  std::vector<std::string> errors;

  MacroWindow() {
    i18n::ResetTranslations();
    appData = temp.path;
    p.env.vars["APPDATA"] = appData.string();
    folder = settings::GetMacrosFolder(p.env);
    ui::SetErrorReporter([this](const std::string& text) { errors.push_back(text); });
  }
  ~MacroWindow() override {
    f.reset();
    ui::SetErrorReporter(nullptr);
  }

  void Open() {
    f = std::make_unique<TFrmMain>(p.services);
    f->rbMacros.UserClicked();
  }
  std::string PathOf(const std::string& name) const { return (fs::path(folder) / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  // A macro file as the program writes it.
  void PutMacro(const std::string& fileName, const std::string& name,
                std::vector<TMacroMouseEvent> events = {Ev(0, mekMove, 1, 1, -1)}) const {
    TRecordedMacro m;
    m.SetName(name);
    m.Events() = std::move(events);
    m.SaveToFile(PathOf(fileName));
  }
  std::string Read(const std::string& name) const {
    std::string bytes;
    platform::files::ReadAll(PathOf(name), bytes);
    return bytes;
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Lines() const { return f->lbMacroses.Items(); }
  int Selected() const { return f->lbMacroses.ItemIndex(); }
  // Puts a macro straight into the library and selects it.
  MacroPtr AddAndSelect(std::vector<TMacroMouseEvent> events, const std::string& name = "m") {
    auto m = std::make_shared<TRecordedMacro>();
    m->SetName(name);
    m->Events() = std::move(events);
    f->FMacros.push_back(m);
    f->RefreshMacroListBox();
    f->lbMacroses.SetItemIndex(static_cast<int>(f->FMacros.size()) - 1);
    return m;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : p.dialogs.shown) texts.push_back(m.text);
    return texts;
  }
};

}  // namespace macrotest
