#include "win32/Win32Dialogs.h"

#include <cstdint>
#include <vector>

#include "base/AppInfo.h"
#include "win32/Win32Pictures.h"
#include "win32/Win32ServicesText.h"
#include "win32/Win32Style.h"
#include "win32/Win32Timers.h"

namespace win32 {

namespace {

// Keyboard navigation between the controls of the main window (Tab, Space on a button),
// and of a modal window whose handler serves the queue (Esc in the update dialog during a
// download is its close).
bool HandledByDialogManager(Win32WidgetFactory& factory, MSG& msg) {
  HWND modal = factory.ModalWindow();
  if (modal && IsWindowVisible(modal) && IsDialogMessageW(modal, &msg)) return true;
  HWND main = factory.MainHandle();
  return main && IsWindowVisible(main) && IsDialogMessageW(main, &msg);
}

// ---- the input box, built from an in-memory dialog template ----

class TemplateWriter {
 public:
  void Word(WORD w) { data_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignDword() {
    if (data_.size() % 2) Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
            const std::wstring& text) {
    AlignDword();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const WORD* Data() const { return data_.data(); }

 private:
  std::vector<WORD> data_;
};

constexpr WORD kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082;
constexpr WORD kPromptId = 100, kEditId = 101;

struct InputState {
  Win32WidgetFactory* factory;
  std::wstring caption, prompt, text;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<InputState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, state->caption.c_str());
      SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
      SetDlgItemTextW(dialog, kEditId, state->text.c_str());
      HWND edit = GetDlgItem(dialog, kEditId);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        HWND edit = GetDlgItem(dialog, kEditId);
        const int n = GetWindowTextLengthW(edit);
        std::wstring s(static_cast<size_t>(n) + 1, L'\0');
        GetWindowTextW(edit, s.data(), n + 1);
        s.resize(static_cast<size_t>(n));
        state->text = s;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      if (!state) break;
      const Style& s = state->factory->Look();
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool field = message == WM_CTLCOLOREDIT;
      SetTextColor(dc, field ? s.fieldText : s.text);
      SetBkColor(dc, field ? s.field : s.window);
      return reinterpret_cast<INT_PTR>(s.Brush(field ? s.field : s.window));
    }
    case WM_DRAWITEM: {
      if (!state) break;
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      const int n = GetWindowTextLengthW(item->hwndItem);
      std::wstring label(static_cast<size_t>(n) + 1, L'\0');
      GetWindowTextW(item->hwndItem, label.data(), n + 1);
      label.resize(static_cast<size_t>(n));
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
      state->factory->Look().DrawButton(item->hDC, item->rcItem, label, font,
                                        !(item->itemState & ODS_DISABLED),
                                        (item->itemState & ODS_SELECTED) != 0, false,
                                        (item->itemState & ODS_FOCUS) != 0, nullptr, "",
                                        DpiOfWindow(dialog));
      return TRUE;
    }
    default:
      break;
  }
  return FALSE;
}

}  // namespace

ui::MsgResult Win32Dialogs::MessageBox(ui::MsgKind kind, const std::string& text, ui::MsgButtons buttons) {
  UINT flags = buttons == ui::MsgButtons::YesNo ? MB_YESNO : MB_OK;
  switch (kind) {
    case ui::MsgKind::Information: flags |= MB_ICONINFORMATION; break;
    case ui::MsgKind::Warning: flags |= MB_ICONWARNING; break;
    case ui::MsgKind::Confirmation: flags |= MB_ICONQUESTION; break;
    case ui::MsgKind::Error: flags |= MB_ICONERROR; break;
  }
  HWND owner = factory_.ModalOwner();
  if (!owner) flags |= MB_TASKMODAL | MB_SETFOREGROUND;
  const int r = MessageBoxW(owner, win32::Utf8ToWide(text).c_str(), win32::Utf8ToWide(app::kAppTitle).c_str(), flags);
  switch (r) {
    case IDYES: return ui::MsgResult::Yes;
    case IDNO: return ui::MsgResult::No;
    case IDOK: return ui::MsgResult::Ok;
    default: return ui::MsgResult::Cancel;
  }
}

bool Win32Dialogs::InputBox(const std::string& caption, const std::string& prompt, std::string& text) {
  TemplateWriter t;
  // DLGTEMPLATE: style, extended style, item count, place (dialog units), no menu, the
  // standard class, the title, then the font.
  t.Dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Word(4);
  t.Word(0);
  t.Word(0);
  t.Word(240);
  t.Word(72);
  t.Word(0);
  t.Word(0);
  t.Text(win32::Utf8ToWide(caption));
  t.Word(9);
  t.Text(L"Segoe UI");
  t.Item(SS_LEFT | SS_NOPREFIX, 7, 6, 226, 18, kPromptId, kStaticAtom, L"");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 27, 226, 13, kEditId, kEditAtom, L"");
  t.Item(BS_OWNERDRAW | WS_TABSTOP, 129, 50, 50, 15, IDOK, kButtonAtom, L"OK");
  t.Item(BS_OWNERDRAW | WS_TABSTOP, 183, 50, 50, 15, IDCANCEL, kButtonAtom, L"Cancel");

  InputState state{&factory_, win32::Utf8ToWide(caption), win32::Utf8ToWide(prompt), win32::Utf8ToWide(text)};
  const INT_PTR r = DialogBoxIndirectParamW(Win32WidgetFactory::Instance(),
                                            reinterpret_cast<LPCDLGTEMPLATEW>(t.Data()),
                                            factory_.ModalOwner(), InputProc,
                                            reinterpret_cast<LPARAM>(&state));
  if (r != IDOK) return false;
  text = win32::WideToUtf8(state.text);
  return true;
}

void Win32MessageQueue::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the main loop, which ends the program.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (HandledByDialogManager(factory_, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void RunMessageLoop(Win32WidgetFactory& factory) {
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      if (HandledByDialogManager(factory, msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // The timers tick from this wait, without a detour through another thread.
    factory.Timers().WaitForMessageOrTick();
  }
}

}  // namespace win32
