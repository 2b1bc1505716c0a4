#include <functional>
#include <iterator>

#include "MacroWindowFixture.h"
#include "hotkeys/HotkeyData.h"
#include "macros/FileNames.h"

namespace {

namespace fs = std::filesystem;
using fs::create_directories;
using macrotest::Ev;
using Strings = std::vector<std::string>;

struct MacroLibraryTest : macrotest::MacroWindow {};

TEST_F(MacroLibraryTest, FillLoadsOnlyMacroFilesDirectlyInTheFolderSkippingBadOnesSilently) {
  PutMacro("b.qelmac", "Bravo");
  PutMacro("A.QELMAC", "Alpha");
  Put("c.qelmac", "no macro lines at all");
  Put("latin1.qelmac", "Name=Caf\xE9\r\n");
  Put("notes.txt", "Name=Text\r\n");
  create_directories(PathOf("sub"));
  PutMacro("sub/x.qelmac", "Nested");
  Open();
  EXPECT_EQ(Lines(), (Strings{"Alpha", "Bravo", ""}));  // sorted by file name
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(f->FMacros[1]->FileName(), PathOf("b.qelmac"));
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(p.dialogs.shown.empty());
}

TEST_F(MacroLibraryTest, PendingSelectionIsUsedOnceWhenInRange) {
  for (const char* n : {"1.qelmac", "2.qelmac", "3.qelmac"}) PutMacro(n, n);
  Open();
  const struct {
    int pending, selected;
  } cases[] = {{1, 1}, {2, 2}, {3, 0}, {5, 0}, {-1, 0}};
  for (const auto& c : cases) {
    f->FPendingSelectedMacroIndex = c.pending;
    f->FillMacroList();
    EXPECT_EQ(Selected(), c.selected) << c.pending;
    EXPECT_EQ(f->FPendingSelectedMacroIndex, -1);
  }
}

TEST_F(MacroLibraryTest, EmptyFolderSelectsNothingAndStartAsksForAMacro) {
  Open();
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(Selected(), -1);
  EXPECT_EQ(f->GetSelectedMacro(), nullptr);
  f->btnStart.UserClicked();
  EXPECT_EQ(Messages(), Strings{"Please select a macro to play back."});
  EXPECT_FALSE(f->FRunning);
}

TEST_F(MacroLibraryTest, AFolderThatCannotBeListedIsReportedWithItsName) {
  fs::remove_all(folder);
  std::ofstream(folder) << "a file where the folder should be";
  Open();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(folder), std::string::npos) << errors[0];
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(TFrmMain::Instance(), f.get());  // creation went on after the error

  fs::remove(folder);
  create_directories(folder);
  PutMacro("1.qelmac", "One");
  f->FillMacroList();
  EXPECT_EQ(Lines(), Strings{"One"});
  fs::remove_all(folder);
  std::ofstream(folder) << "gone again";
  ui::Guarded([this] { f->FillMacroList(); });
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(f->FMacros.empty());
}

TEST_F(MacroLibraryTest, RefreshKeepsTheSelectionByNameIgnoringCase) {
  Open();
  AddAndSelect({}, "Same");
  AddAndSelect({}, "other");
  AddAndSelect({}, "SAME");
  EXPECT_EQ(Selected(), 2);
  f->RefreshMacroListBox();
  EXPECT_EQ(Selected(), 0);  // the first line with that name
  f->lbMacroses.SetItemIndex(-1);
  f->RefreshMacroListBox();
  EXPECT_EQ(Selected(), -1);
  f->lbMacroses.UserSelected(7);
  EXPECT_EQ(f->GetSelectedMacro(), nullptr);
}

TEST_F(MacroLibraryTest, RenameNeedsASelectionAndANewName) {
  Open();
  f->bRename.UserClicked();
  EXPECT_EQ(Messages(), Strings{"Please select a macro first."});
  EXPECT_EQ(p.dialogs.shown[0].kind, ui::MsgKind::Information);
  f->bRemove.UserClicked();  // Remove with nothing selected says nothing at all
  EXPECT_EQ(p.dialogs.shown.size(), 1u);

  PutMacro("t.qelmac", "Test");
  f->FillMacroList();
  const std::string before = Read("t.qelmac");
  for (const char* entered : {"test", "  Test \t", "TEST"}) {
    p.dialogs.inputAnswers.push_back({true, entered});
    f->bRename.UserClicked();
  }
  p.dialogs.inputAnswers.push_back({false, "cancelled"});
  f->bRename.UserClicked();
  EXPECT_EQ(p.dialogs.inputPrompts.back(), "Rename macro|Enter new macro name:|Test");
  for (const char* blank : {"", "  \t\r\n"}) {
    p.dialogs.inputAnswers.push_back({true, blank});
    f->bRename.UserClicked();
  }
  EXPECT_EQ(Messages(), (Strings{"Please select a macro first.", "Macro name cannot be empty.",
                                 "Macro name cannot be empty."}));
  EXPECT_EQ(p.dialogs.shown.back().kind, ui::MsgKind::Warning);
  EXPECT_EQ(Lines(), Strings{"Test"});
  EXPECT_EQ(Files(), Strings{"t.qelmac"});
  EXPECT_EQ(Read("t.qelmac"), before);
  EXPECT_EQ(f->Label1.Caption(), "Ready");
}

// Pasted text keeps its line breaks: written into the name line they would give the macro
// another name, another duration and events of their own at the next start.
TEST_F(MacroLibraryTest, RenameRefusesANameWithControlCharactersAnywhere) {
  PutMacro("t.qelmac", "Test", {Ev(0, mekMove, 1, 1, -1)});
  Open();
  const std::string before = Read("t.qelmac");
  const char* pasted[] = {"abc\nE=0|1|5|5|0\nDurationMs=99\nxyz", "abc\r\nxyz", "a\rb", "a\tb", "a\x01" "b",
                          "a\x7F" "b", "a\xC2\x85" "b"};
  for (const char* name : pasted) {
    p.dialogs.inputAnswers.push_back({true, name});
    f->bRename.UserClicked();
  }
  EXPECT_EQ(Messages(), Strings(std::size(pasted), "A macro name cannot hold line breaks, tabs or other control characters."));
  EXPECT_EQ(p.dialogs.shown.back().kind, ui::MsgKind::Warning);
  EXPECT_EQ(Lines(), Strings{"Test"});
  EXPECT_EQ(Files(), Strings{"t.qelmac"});
  EXPECT_EQ(Read("t.qelmac"), before);
  // Blanks and control characters at the ends are trimmed as before, not refused.
  p.dialogs.inputAnswers.push_back({true, "\r\n Fine \t\n"});
  f->bRename.UserClicked();
  EXPECT_EQ(Lines(), Strings{"Fine"});
  EXPECT_EQ(Files(), Strings{"Fine.qelmac"});
  EXPECT_EQ(TRecordedMacro::LoadFromFile(PathOf("Fine.qelmac"))->Name(), "Fine");
}

TEST_F(MacroLibraryTest, RenameWritesTheSafeFileNameAndDeletesTheOldFile) {
  PutMacro("2025-03-07_14.05.09.qelmac", "2025-03-07 14.05.09 (3.2s)", {Ev(0, mekMove, 5, 6, -1)});
  PutMacro("z.qelmac", "Zulu");
  Open();
  p.dialogs.inputAnswers.push_back({true, " a/b "});
  f->bRename.UserClicked();
  EXPECT_EQ(Lines(), (Strings{"a/b", "Zulu"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(Files(), (Strings{"a_b.qelmac", "z.qelmac"}));
  EXPECT_EQ(f->GetSelectedMacro()->FileName(), PathOf("a_b.qelmac"));
  auto reloaded = TRecordedMacro::LoadFromFile(PathOf("a_b.qelmac"));
  EXPECT_EQ(reloaded->Name(), "a/b");
  EXPECT_EQ(reloaded->Events(), (std::vector<TMacroMouseEvent>{Ev(0, mekMove, 5, 6, -1)}));
  EXPECT_EQ(f->Label1.Caption(), "Macro renamed.");
}

TEST_F(MacroLibraryTest, RenameToTheSameFileRewritesItInPlace) {
  PutMacro("2025-03-07_14.05.09.qelmac", "2025-03-07 14.05.09 (3.2s)");
  PutMacro("Abc.qelmac", "x");
  Open();
  p.dialogs.inputAnswers.push_back({true, "2025-03-07_14.05.09"});
  f->lbMacroses.UserSelected(0);
  f->bRename.UserClicked();
  p.dialogs.inputAnswers.push_back({true, "abc"});  // Abc.qelmac is its own file in any case
  f->lbMacroses.UserSelected(1);
  f->bRename.UserClicked();
  EXPECT_TRUE(p.dialogs.shown.empty());
  EXPECT_EQ(Files(), (Strings{"2025-03-07_14.05.09.qelmac", "Abc.qelmac"}));
  EXPECT_EQ(TRecordedMacro::LoadFromFile(PathOf("2025-03-07_14.05.09.qelmac"))->Name(), "2025-03-07_14.05.09");
  EXPECT_EQ(TRecordedMacro::LoadFromFile(PathOf("Abc.qelmac"))->Name(), "abc");
  EXPECT_EQ(Lines(), (Strings{"2025-03-07_14.05.09", "abc"}));
}

TEST_F(MacroLibraryTest, RenameOntoAnExistingFileInAnyCaseIsRefused) {
  PutMacro("1.qelmac", "One");
  Put("OTHER.qelmac", "\xFF not even a macro");
  Put("\xC3\xA9t\xC3\xA9 \xD0\xB6.qelmac", "Name=x\r\n");  // "été ж": one file on Windows whatever the case
  Open();
  const char* targets[] = {"other", "Other", "OTHER", "\xC3\x89T\xC3\x89 \xD0\x96", "\xC3\x89t\xC3\xA9 \xD0\xB6"};
  for (const char* target : targets) {
    p.dialogs.inputAnswers.push_back({true, target});
    f->lbMacroses.UserSelected(0);
    f->bRename.UserClicked();
  }
  EXPECT_EQ(Messages(), Strings(std::size(targets), "A macro file with this name already exists."));
  EXPECT_EQ(Lines(), (Strings{"One", "x"}));
  EXPECT_EQ(Files(), (Strings{"1.qelmac", "OTHER.qelmac", "\xC3\xA9t\xC3\xA9 \xD0\xB6.qelmac"}));
  EXPECT_EQ(f->Label1.Caption(), "Ready");
}

TEST_F(MacroLibraryTest, RenameAfterTheFileWasDeletedElsewhereJustWritesTheNewOne) {
  PutMacro("1.qelmac", "One");
  Open();
  fs::remove(PathOf("1.qelmac"));
  p.dialogs.inputAnswers.push_back({true, "Two"});
  f->bRename.UserClicked();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Files(), Strings{"Two.qelmac"});
  EXPECT_EQ(Lines(), Strings{"Two"});
}

TEST_F(MacroLibraryTest, AFailedWriteDuringRenameChangesNothing) {
  PutMacro("1.qelmac", "One");
  // A folder where the new file should go: it is no file, so the rename goes ahead and
  // the write fails, whoever runs the test.
  create_directories(PathOf("Two.qelmac") + "/inside");
  Open();
  const MacroPtr before = f->GetSelectedMacro();
  p.dialogs.inputAnswers.push_back({true, "Two"});
  f->bRename.UserClicked();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Two.qelmac"), std::string::npos) << errors[0];
  EXPECT_EQ(f->GetSelectedMacro(), before);
  EXPECT_EQ(before->Name(), "One");
  EXPECT_EQ(before->FileName(), PathOf("1.qelmac"));
  EXPECT_EQ(Lines(), Strings{"One"});
  EXPECT_EQ(Files(), (Strings{"1.qelmac", "Two.qelmac"}));
  EXPECT_EQ(TRecordedMacro::LoadFromFile(PathOf("1.qelmac"))->Name(), "One");
  EXPECT_EQ(f->Label1.Caption(), "Ready");
}

TEST_F(MacroLibraryTest, AReadOnlyMacroFileIsNeitherRewrittenNorDeletedWhoeverRunsTheTest) {
  PutMacro("x_y.qelmac", "x y");
  const std::string before = Read("x_y.qelmac");
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(PathOf("x_y.qelmac"), readOnly);
  Open();
  const MacroPtr macro = f->GetSelectedMacro();
  // "x/y" is rewritten in place (same file name), "Two" goes to a new file and deletes the
  // old one, Remove deletes it: each ends in one error and changes nothing.
  p.dialogs.inputAnswers.push_back({true, "x/y"});
  p.dialogs.inputAnswers.push_back({true, "Two"});
  p.dialogs.answers.push_back(ui::MsgResult::Yes);
  f->bRename.UserClicked();
  f->bRename.UserClicked();
  f->bRemove.UserClicked();
  ASSERT_EQ(errors.size(), 3u);
  for (const std::string& e : errors) EXPECT_NE(e.find("read-only"), std::string::npos) << e;
  EXPECT_EQ(f->GetSelectedMacro(), macro);
  EXPECT_EQ(macro->Name(), "x y");
  EXPECT_EQ(Lines(), Strings{"x y"});
  EXPECT_EQ(Files(), Strings{"x_y.qelmac"});
  EXPECT_EQ(Read("x_y.qelmac"), before);
  EXPECT_EQ(fs::status(PathOf("x_y.qelmac")).permissions() & fs::perms::all, readOnly);
  EXPECT_EQ(f->Label1.Caption(), "Ready");
  fs::permissions(PathOf("x_y.qelmac"), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(MacroLibraryTest, RemoveAsksThenDeletesTheFileAndSelectsNothing) {
  PutMacro("1.qelmac", "One");
  PutMacro("2.qelmac", "Two");
  Open();
  p.dialogs.answers.push_back(ui::MsgResult::No);
  f->bRemove.UserClicked();
  EXPECT_EQ(Messages(), Strings{"Delete selected macro?"});
  EXPECT_EQ(p.dialogs.shown[0].kind, ui::MsgKind::Confirmation);
  EXPECT_EQ(p.dialogs.shown[0].buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(Files().size(), 2u);

  f->bRemove.UserClicked();  // Yes
  EXPECT_EQ(Lines(), Strings{"Two"});
  EXPECT_EQ(Files(), Strings{"2.qelmac"});
  EXPECT_EQ(Selected(), -1);
  EXPECT_EQ(f->Label1.Caption(), "Selected macro removed.");
  f->btnStart.UserClicked();
  EXPECT_EQ(Messages().back(), "Please select a macro to play back.");
}

TEST_F(MacroLibraryTest, RemoveOfAMacroWhoseFileIsGoneJustDropsIt) {
  PutMacro("1.qelmac", "Same");
  PutMacro("2.qelmac", "same");
  Open();
  fs::remove(PathOf("1.qelmac"));
  f->bRemove.UserClicked();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Lines(), Strings{"same"});
  EXPECT_EQ(Selected(), 0);  // another macro of that name, ignoring case
}

// The selection is stored as a position, and the next start lists the files sorted by
// name: a new recording and a renamed macro take the place they will have then.
TEST_F(MacroLibraryTest, TheMacroSelectedAtExitIsTheOneSelectedAfterTheNextStart) {
  struct Case {
    const char* what;
    std::function<void(TFrmMain&)> act;
    const char* selectedName;
  } cases[] = {
      {"a new recording lands between older ones",
       [this](TFrmMain& w) {
         w.btnCreateMacros.UserClicked();
         p.hotkeys.Press(hotkeys::kStartMacrosHotkeyId);
         p.hotkeys.Press(hotkeys::kStopHotkeyId);
       },
       "2025-03-07 14.05.09 (0.0s)"},
      {"a rename moves the macro to its file's place",
       [this](TFrmMain& w) {
         w.lbMacroses.UserSelected(0);
         p.dialogs.inputAnswers.push_back({true, "Zz"});
         w.bRename.UserClicked();
       },
       "Zz"},
      {"a rename to a name with a capital letter sorts without regard to case",
       [this](TFrmMain& w) {
         w.lbMacroses.UserSelected(1);
         p.dialogs.inputAnswers.push_back({true, "\xC3\x89t\xC3\xA9"});  // Été, after every a-z name
         w.bRename.UserClicked();
       },
       "\xC3\x89t\xC3\xA9"},
  };
  // The faked profile holds the values; the file only has to exist to be read.
  std::ofstream(settings::GetSettingsFileName(p.env)) << "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& name : Files()) fs::remove(PathOf(name));
    PutMacro("2025-01-10_09.00.00.qelmac", "2025-01-10 09.00.00 (1.0s)");
    PutMacro("Work.qelmac", "Work");
    PutMacro("work2.qelmac", "work2");
    Open();
    c.act(*f);
    ASSERT_TRUE(f->GetSelectedMacro());
    ASSERT_EQ(f->GetSelectedMacro()->Name(), c.selectedName);
    const Strings before = Lines();
    f->FormCloseQuery();
    f->FormDestroy();  // the settings are written
    Open();
    EXPECT_EQ(Lines(), before);
    ASSERT_TRUE(f->GetSelectedMacro());
    EXPECT_EQ(f->GetSelectedMacro()->Name(), c.selectedName);
    f->FormDestroy();
  }
}

TEST_F(MacroLibraryTest, AMacroWithoutAFileGoesLastAndTheOthersByFileName) {
  auto macro = [](const std::string& file) {
    auto m = std::make_shared<TRecordedMacro>();
    m->SetFileName(file);
    return m;
  };
  const std::vector<MacroPtr> list = {macro("/d/a.qelmac"), macro("C:\\d\\M.qelmac"), macro("/d/x.qelmac"), macro("")};
  EXPECT_EQ(macros::ListPosition(list, "/e/0.qelmac"), 0u);
  EXPECT_EQ(macros::ListPosition(list, "/e/b.qelmac"), 1u);
  EXPECT_EQ(macros::ListPosition(list, "C:\\e\\m_.qelmac"), 2u);  // "m_" after "M." in any case
  EXPECT_EQ(macros::ListPosition(list, "/e/\xC3\xA9.qelmac"), 3u);  // é after every a-z name
  EXPECT_EQ(macros::ListPosition(list, ""), 4u);
}

}  // namespace
