#include "app/FrmMain.h"

#include <algorithm>

#include "base/AppInfo.h"
#include "base/ClickChoices.h"
#include "i18n/Translation.h"
#include "ui/Guard.h"

namespace {
TFrmMain* g_mainForm = nullptr;

// How often the corner failsafe looks at the pointer: a stop comes well within 50 ms,
// and one pointer query per period costs the click timer nothing it would notice.
constexpr unsigned kCornerPollMs = 15;

ui::WindowSpec MainWindowSpec() {
  ui::WindowSpec spec;
  spec.clientWidth = 569;
  spec.clientHeight = 585;
  spec.mainWindow = true;
  return spec;
}
}  // namespace

TFrmMain* TFrmMain::Instance() { return g_mainForm; }

// Places are 96-DPI pixels relative to the parent, as laid out at design time.
TFrmMain::TFrmMain(app::Services& services)
    : Form(services.widgets, MainWindowSpec()),
      btnStart(Form, {10, 14, 105, 25}, "Start"),
      btnStop(Form, {124, 14, 111, 25}, "Stop"),
      GroupBox1(Form, {10, 58, 225, 439}, "Target"),
      rbCurrentCursorPosition(GroupBox1, targetGroup, {11, 26, 190, 17}, "Cursor position"),
      rbCoordinates(GroupBox1, targetGroup, {11, 59, 118, 17}, "Coordinates:"),
      edtCoordX(GroupBox1, {109, 56, 44, 24}, 0, 100000, 0),
      Label3(GroupBox1, {161, 59, 0, 0}, "X"),
      edtCoordY(GroupBox1, {176, 56, 44, 24}, 0, 100000, 0),
      rbMacros(GroupBox1, targetGroup, {11, 94, 118, 17}, "Macros:"),
      btnCreateMacros(GroupBox1, {11, 127, 65, 24}, "Create"),
      bRemove(GroupBox1, {82, 127, 59, 24}, "Remove"),
      bRename(GroupBox1, {148, 127, 65, 24}, "Rename"),
      lbMacroses(GroupBox1, {10, 157, 204, 264}),
      grpInterval(Form, {253, 10, 297, 97}, "Click Interval"),
      lblH(grpInterval, {16, 24, 0, 0}, "Hours"),
      seHours(grpInterval, {16, 40, 49, 24}, 0, 23, 0),
      lblM(grpInterval, {80, 24, 0, 0}, "Minutes"),
      seMinutes(grpInterval, {80, 40, 49, 24}, 0, 59, 0),
      lblS(grpInterval, {152, 24, 0, 0}, "Seconds"),
      seSeconds(grpInterval, {152, 40, 49, 24}, 0, 59, 0),
      lblMS(grpInterval, {224, 24, 0, 0}, "Milliseconds"),
      seMillis(grpInterval, {224, 40, 57, 24}, 0, 999, 100),
      chkJitter(grpInterval, {16, 72, 120, 17}, "Jitter +/- (ms)"),
      seJitterMs(grpInterval, {121, 70, 73, 24}, 0, 999, 0),
      grpClickType(Form, {253, 120, 297, 97}, "Click Type"),
      cbButton(grpClickType, {16, 24, 113, 23}),
      cbClickType(grpClickType, {152, 24, 129, 23}),
      lblHold(grpClickType, {16, 59, 97, 29}, "Hold time (ms)"),
      seHoldMs(grpClickType, {121, 56, 73, 24}, 0, 10000, 80),
      grpDelay(Form, {253, 231, 297, 57}, "Start Delay"),
      lblDelayMs(grpDelay, {16, 24, 0, 0}, "Delay (s)"),
      seStartDelaySS(grpDelay, {121, 20, 73, 24}, 0, 65535, 0),
      grpClicks(Form, {253, 301, 297, 87}, "Repeat"),
      rbUntilStopped(grpClicks, repeatGroup, {16, 24, 257, 17}, "Repeat until stopped"),
      rbRepeatCount(grpClicks, repeatGroup, {16, 48, 113, 17}, "Repeat"),
      seRepeat(grpClicks, {121, 46, 73, 24}, 1, 65535, 100),
      grpSafety(Form, {253, 400, 297, 97}, "Additional"),
      chkMinimizeToTrayOnStart(grpSafety, {16, 30, 265, 17}, "Minimize to tray when starting"),
      chkTopMost(grpSafety, {16, 60, 249, 17}, "Always on top"),
      lblHotkeys(Form, {10, 509, 0, 0}, ""),
      btnOptions(Form, {10, 531, 119, 25}, "Options..."),
      btnLang(Form, {253, 531, 54, 25}, "en"),
      Button1(Form, {435, 531, 119, 25}, "About..."),
      Panel1(Form, 23),
      Label1(Panel1, {10, 5, 0, 0}, "Ready"),
      Label2(Panel1, {436, 5, 119, 0}, ""),
      TimerClick(services.widgets),
      TimerDelay(services.widgets),
      TimerCorner(services.widgets, kCornerPollMs),
      TrayIcon1(services.widgets),
      PopupMenuLang(services.widgets),
      PopupMenuTray(services.widgets),
      svc_(services) {
  // Seeded once, from a high-resolution clock, for the jitter draw.
  jitterRng_.seed(static_cast<std::uint32_t>(services.clock.HighResolutionNow() ^
                                             (services.clock.HighResolutionNow() >> 32)));

  btnStart.SetImage("play");
  btnStop.SetImage("stop");
  lblHold.SetLayout(false, true);
  Label2.SetLayout(true, false);
  Label2.SetLinkStyle(app::kLinkColour);

  btnStart.OnClick = [this] { btnStartClick(); };
  btnStop.OnClick = [this] { btnStopClick(); };
  rbCurrentCursorPosition.OnClick = [this] { rbCurrentCursorPositionClick(); };
  rbCoordinates.OnClick = [this] { rbCoordinatesClick(); };
  rbMacros.OnClick = [this] { rbMacrosClick(); };
  btnCreateMacros.OnClick = [this] { btnCreateMacrosClick(); };
  bRemove.OnClick = [this] { bRemoveClick(); };
  bRename.OnClick = [this] { bRenameClick(); };
  chkJitter.OnClick = [this] { chkJitterClick(); };
  cbClickType.OnChange = [this] { cbClickTypeChange(); };
  rbUntilStopped.OnClick = [this] { rbUntilStoppedClick(); };
  rbRepeatCount.OnClick = [this] { rbRepeatCountClick(); };
  chkMinimizeToTrayOnStart.OnClick = [this] { chkMinimizeToTrayOnStartClick(); };
  chkTopMost.OnClick = [this] { chkTopMostClick(); };
  btnOptions.OnClick = [this] { btnOptionsClick(); };
  edtCoordX.OnDoubleClick = [this] { StartPointPick(); };
  edtCoordY.OnDoubleClick = [this] { StartPointPick(); };
  btnLang.OnClick = [this] { btnLangClick(); };
  Button1.OnClick = [this] { Button1Click(); };
  Label2.OnClick = [this] { Label2Click(); };
  lblHotkeys.OnClick = [this] { OpenHotkeyEditor(); };
  Label2.OnMouseEnter = [this] { Label2MouseEnter(); };
  Label2.OnMouseLeave = [this] { Label2MouseLeave(); };
  TimerClick.OnTimer = [this] { TimerClickTimer(); };
  TimerDelay.OnTimer = [this] { TimerDelayTimer(); };
  TimerCorner.OnTimer = [this] { TimerCornerTimer(); };
  TrayIcon1.OnClick = [this] { TrayIcon1Click(); };
  TrayIcon1.OnContextMenu = [this](ui::Point at) { TrayIcon1ContextMenu(at); };
  PopupMenuTray.OnItemClick = [this](int index) { PopupMenuTrayClick(index); };
  PopupMenuLang.OnItemClick = [this](int index) { MItemClick(index); };
  Form.OnCloseQuery = [this] { FormCloseQuery(); };
  svc_.hotkeys.SetHandler([this](int id) { ui::Guarded([this, id] { WndProcHotkey(id); }); });
  svc_.hotkeys.SetReleaseHandler(
      [this](int id) { ui::Guarded([this, id] { WndProcHotkeyRelease(id); }); });

  FormCreate();
}

TFrmMain::~TFrmMain() {
  if (g_mainForm == this) g_mainForm = nullptr;
  svc_.hotkeys.SetHandler(nullptr);
  svc_.hotkeys.SetReleaseHandler(nullptr);
}

void TFrmMain::FormCreate() {
  // 1. Caption and link.
  Form.SetCaption(std::string("  ") + app::kAppTitle + " " + app::kVersionText);
  Label2.SetCaption(app::kWebsiteUrl);
  TrayIcon1.SetHint(app::kAppTitle);
  TrayIcon1.SetVisible(true);

  // 2. Lists.
  cbButton.SetItems({"Left", "Right", "Middle"});
  cbButton.SetItemIndex(mbLeft);
  cbClickType.SetItems({"Single", "Double", "Hold"});
  cbClickType.SetItemIndex(ctSingle);

  // 3. Start-up values.
  seHours.SetValue(0);
  seMinutes.SetValue(0);
  seSeconds.SetValue(0);
  seMillis.SetValue(100);
  seJitterMs.SetValue(0);
  rbUntilStopped.SetChecked(true);
  seRepeat.SetValue(100);
  seHoldMs.SetValue(80);
  chkTopMost.SetChecked(false);
  chkMinimizeToTrayOnStart.SetChecked(false);
  seStartDelaySS.SetValue(0);
  btnStop.SetEnabled(false);
  seJitterMs.SetEnabled(false);
  seRepeat.SetEnabled(false);
  seHoldMs.SetEnabled(false);
  lblHold.SetEnabled(false);
  btnCreateMacros.SetEnabled(false);
  bRemove.SetEnabled(false);
  bRename.SetEnabled(false);
  lbMacroses.SetEnabled(false);
  rbCurrentCursorPosition.SetChecked(true);

  // 4.
  FPendingSelectedMacroIndex = -1;
  FHiddenForMacroPlayback = false;
  FHasLastRecordedPoint = false;
  FRecUiActive = false;

  // 5. Default hotkeys: Ctrl+Shift with S, X and R.
  FStartHK = {0x53, hotkeys::kModControl | hotkeys::kModShift};
  FStpHK = {0x58, hotkeys::kModControl | hotkeys::kModShift};
  FStartMacrosHK = {0x52, hotkeys::kModControl | hotkeys::kModShift};

  // 6. The macro list and the recorder's event list are members; the countdown timer.
  FMacros.clear();
  FRecordedEvents.clear();
  FCountdownTimer = std::make_unique<ui::Timer>(svc_.widgets, 1000);
  FCountdownTimer->OnTimer = [this] { CountdownTimerTimer(); };

  // 7., 8.
  RegisterHotkeys();
  LoadSettings();

  // 9. A folder that cannot be listed is reported; the window still comes up, and the
  // steps after it still run so that the recorder and the language menu keep working.
  ui::Guarded([this] { FillMacroList(); });

  // 10., 11., 12., 13.
  lblHotkeys.SetCaption(HotkeyCaption());
  TimerClick.SetEnabled(false);
  TimerDelay.SetEnabled(false);
  g_mainForm = this;
  UpdateLanguageMenu();
  TranslateInterface();
}

void TFrmMain::FormCloseQuery() {
  FClosing = true;
  if (FRecording) StopRecording(TranslateText("Recording stopped because application is closing."));
  if (FRunning) StopRun(TranslateText("Closing"));
}

void TFrmMain::FormDestroy() {
  g_mainForm = nullptr;
  EndPointPick();
  RemoveMouseHook();
  UnregisterHotkeys();
  // The lists are freed with the window even when saving fails.
  struct FreeLists {
    TFrmMain* f;
    ~FreeLists() {
      f->FRecordedEvents.clear();
      f->FMacros.clear();
    }
  } freeLists{this};
  SaveSettings();
}

// ---- target modes and dependent controls ----

void TFrmMain::ApplyTargetMode(int mode) {
  const bool clicking = mode != tmMacros;
  for (ui::Control* c : std::initializer_list<ui::Control*>{
           &grpInterval, &grpClickType, &seHours, &seMinutes, &seSeconds, &seMillis, &lblH,
           &lblM, &lblS, &lblMS, &chkJitter, &cbButton, &cbClickType})
    c->SetEnabled(clicking);
  seJitterMs.SetEnabled(clicking && chkJitter.Checked());
  const bool hold = clicking && cbClickType.ItemIndex() == ctHold;
  seHoldMs.SetEnabled(hold);
  lblHold.SetEnabled(hold);
  for (ui::Control* c : std::initializer_list<ui::Control*>{&edtCoordX, &Label3, &edtCoordY})
    c->SetEnabled(mode == tmCoordinates);
  for (ui::Control* c :
       std::initializer_list<ui::Control*>{&btnCreateMacros, &bRemove, &bRename, &lbMacroses})
    c->SetEnabled(mode == tmMacros);
}

void TFrmMain::rbCurrentCursorPositionClick() { ApplyTargetMode(tmCursorPosition); }
void TFrmMain::rbCoordinatesClick() { ApplyTargetMode(tmCoordinates); }
void TFrmMain::rbMacrosClick() { ApplyTargetMode(tmMacros); }

void TFrmMain::chkJitterClick() { seJitterMs.SetEnabled(chkJitter.Checked()); }

void TFrmMain::cbClickTypeChange() {
  const bool hold = cbClickType.ItemIndex() == ctHold;
  seHoldMs.SetEnabled(hold);
  lblHold.SetEnabled(hold);
}

void TFrmMain::rbUntilStoppedClick() { seRepeat.SetEnabled(rbRepeatCount.Checked()); }
void TFrmMain::rbRepeatCountClick() { seRepeat.SetEnabled(rbRepeatCount.Checked()); }

// ---- compact window ----

void TFrmMain::EnterRecUi(const std::string& AText) {
  if (!FRecUiActive) {
    FRecUiSavedBounds = Form.Bounds();
    FRecUiSavedCaption = Form.Caption();
    FRecUiSavedTopMost = chkTopMost.Checked();
    FRecUiActive = true;
  }
  const int height = Form.CaptionHeight() + 2 * Form.FrameHeight();
  const int width = std::max(FRecUiSavedBounds.width / 2, 200);
  const ui::Rect work = svc_.screen.WorkArea();
  Panel1.SetVisible(false);
  Form.SetBounds({work.Right() - width - 16, work.Bottom() - height - 16, width, height});
  Form.SetCaption("  " + AText);
  // Keys a macro plays go to whichever window has the focus: the one the user was working
  // in, not this caption, which only has to stay in sight.
  Form.ShowWithoutFocus();
  Form.SetTopMost(true);
}

void TFrmMain::SetRecUiText(const std::string& AText) {
  if (!FRecUiActive) return;
  Form.SetCaption("  " + AText);
  Form.Repaint();
}

void TFrmMain::LeaveRecUi() {
  if (!FRecUiActive) return;
  if (FCountdownTimer) FCountdownTimer->SetEnabled(false);
  Form.SetTopMost(false);
  Form.SetBounds(FRecUiSavedBounds);
  Form.SetCaption(FRecUiSavedCaption);
  Panel1.SetVisible(true);
  chkTopMost.SetChecked(FRecUiSavedTopMost);
  Form.SetTopMost(FRecUiSavedTopMost);
  FRecUiActive = false;
  Form.Show();
  Form.Restore();
  Form.BringToFront();
}

void TFrmMain::HideToTray() {
  // Without a notification area a hidden window could never be brought back during the
  // run: minimise it instead, so the taskbar (or the window list) still reaches it.
  if (TrayIcon1.Available())
    Form.Hide();
  else
    Form.Minimize();
}

void TFrmMain::ShowFromTray() {
  Form.Show();
  Form.Restore();
  Form.BringToFront();
}
