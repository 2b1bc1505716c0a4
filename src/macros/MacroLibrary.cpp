#include <algorithm>
#include <exception>

#include "app/FrmMain.h"
#include "i18n/Translation.h"
#include "macros/FileNames.h"
#include "macros/TextRules.h"
#include "platform/Files.h"
#include "base/TextCase.h"
#include "settings/DataFolder.h"

namespace {

// Where `macro` sits in the list now, or -1. A modal dialog serves the message queue, so
// positions found before one may be stale afterwards; the object itself is the identity.
int IndexOfMacro(const std::vector<MacroPtr>& list, const MacroPtr& macro) {
  const auto it = std::find(list.begin(), list.end(), macro);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

}  // namespace

void TFrmMain::FillMacroList() {
  FMacros.clear();
  const std::string folder = settings::GetMacrosFolder(svc_.env);
  std::vector<std::string> names;
  try {
    names = platform::files::ListFiles(folder, macros::kMacroExtension);
  } catch (const std::exception&) {
    // The error names the folder and goes to the top-level handler; the list box is
    // emptied first so that it never shows macros the list no longer holds.
    RefreshMacroListBox();
    throw;
  }
  // Sorted by file name rather than in the file system's order, which on Linux looks
  // random: recorded files are named by date, so the list reads oldest first on both
  // editions, and the selection restored by position finds the same macro again.
  std::sort(names.begin(), names.end(), text::LessIgnoreCase);
  for (const std::string& name : names) {
    try {
      FMacros.push_back(TRecordedMacro::LoadFromFile(macros::JoinPath(folder, name, svc_.env.PathDelimiter())));
    } catch (const std::exception&) {
      // An unreadable or non-UTF-8 file is left out without a word; the others load.
    }
  }
  RefreshMacroListBox();
  if (FPendingSelectedMacroIndex >= 0 && FPendingSelectedMacroIndex < lbMacroses.Count())
    lbMacroses.SetItemIndex(FPendingSelectedMacroIndex);
  else if (lbMacroses.Count() > 0)
    lbMacroses.SetItemIndex(0);
  FPendingSelectedMacroIndex = -1;
}

void TFrmMain::RefreshMacroListBox() {
  const int selected = lbMacroses.ItemIndex();
  const std::string remembered = selected >= 0 ? lbMacroses.Items()[static_cast<size_t>(selected)] : std::string();
  lbMacroses.BeginUpdate();
  lbMacroses.Clear();
  for (const MacroPtr& m : FMacros) lbMacroses.Add(m->Name());
  lbMacroses.EndUpdate();
  if (!remembered.empty()) lbMacroses.SetItemIndex(lbMacroses.IndexOfIgnoreCase(remembered));
}

MacroPtr TFrmMain::GetSelectedMacro() const {
  const int index = lbMacroses.ItemIndex();
  if (index < 0 || static_cast<size_t>(index) >= FMacros.size()) return nullptr;
  return FMacros[static_cast<size_t>(index)];
}

void TFrmMain::bRenameClick() {
  const MacroPtr m = GetSelectedMacro();
  if (!m) {
    svc_.dialogs.MessageBox(ui::MsgKind::Information, TranslateText("Please select a macro first."),
                            ui::MsgButtons::Ok);
    return;
  }
  std::string entered = m->Name();
  if (!svc_.dialogs.InputBox(TranslateText("Rename macro"), TranslateText("Enter new macro name:"), entered))
    return;
  const std::string newName = macros::TrimBlanksAndControls(entered);
  if (newName.empty()) {
    svc_.dialogs.MessageBox(ui::MsgKind::Warning, TranslateText("Macro name cannot be empty."),
                            ui::MsgButtons::Ok);
    return;
  }
  // A pasted text keeps its line breaks and tabs; inside a name they would show as
  // nothing in the list, and written into the file they could change what it holds.
  if (macros::HasControlCharacter(newName)) {
    svc_.dialogs.MessageBox(ui::MsgKind::Warning,
                            TranslateText("A macro name cannot hold line breaks, tabs or other control characters."),
                            ui::MsgButtons::Ok);
    return;
  }
  // A change of letter case alone is not a new name. A macro that has no file yet (its
  // recording could not be saved) is saved by Rename under any name, its own included.
  if (!m->FileName().empty() && text::EqualIgnoreCase(newName, m->Name())) return;

  const char delimiter = svc_.env.PathDelimiter();
  const std::string folder = settings::GetMacrosFolder(svc_.env);
  const std::string oldFile = m->FileName();
  const std::string newFileName = SanitizeMacroFileName(newName) + macros::kMacroExtension;
  const std::string newFile = macros::JoinPath(folder, newFileName, delimiter);

  // The renamed macro is a copy that replaces the original in the list only once every
  // file operation has succeeded. So a failed write or delete leaves the list, the name
  // and the file name exactly as they were, and a playback that holds the original keeps
  // an object that nothing changes under it.
  const auto renamed = std::make_shared<TRecordedMacro>(*m);
  renamed->SetName(newName);
  if (text::EqualIgnoreCase(newFile, oldFile)) {
    renamed->SaveToFile(oldFile);  // the same file: rewritten in place
  } else {
    if (macros::FileTakenAnyCase(folder, newFileName, delimiter)) {
      svc_.dialogs.MessageBox(ui::MsgKind::Warning, TranslateText("A macro file with this name already exists."),
                              ui::MsgButtons::Ok);
      return;
    }
    renamed->SaveToFile(newFile);
    if (platform::files::FileExists(oldFile)) {
      try {
        platform::files::DeleteFile(oldFile);
      } catch (const std::exception&) {
        // The old file stays under the old name, so the new file goes: otherwise the
        // next start would show the macro twice.
        try {
          platform::files::DeleteFile(newFile);
        } catch (const std::exception&) {
        }
        throw;
      }
    }
  }

  // A new file name moves the macro to where the next start will list it, so the
  // selection stored at exit finds it there.
  const int index = IndexOfMacro(FMacros, m);
  if (index >= 0) {
    FMacros.erase(FMacros.begin() + index);
    FMacros.insert(FMacros.begin() + static_cast<std::ptrdiff_t>(macros::ListPosition(FMacros, renamed->FileName())),
                   renamed);
  }
  RefreshMacroListBox();
  lbMacroses.SetItemIndex(lbMacroses.IndexOfIgnoreCase(newName));
  SetStatus(TranslateText("Macro renamed."));
}

void TFrmMain::bRemoveClick() {
  const MacroPtr m = GetSelectedMacro();
  if (!m) return;
  if (svc_.dialogs.MessageBox(ui::MsgKind::Confirmation, TranslateText("Delete selected macro?"),
                              ui::MsgButtons::YesNo) != ui::MsgResult::Yes)
    return;
  if (platform::files::FileExists(m->FileName())) platform::files::DeleteFile(m->FileName());
  // Only the list's reference goes: a playback that holds the macro keeps it alive.
  const int index = IndexOfMacro(FMacros, m);
  if (index >= 0) FMacros.erase(FMacros.begin() + index);
  RefreshMacroListBox();
  SetStatus(TranslateText("Selected macro removed."));
}
