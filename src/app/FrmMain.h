#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/Services.h"
#include "clicker/CornerRule.h"
#include "clicker/PointPick.h"
#include "hotkeys/HotkeyData.h"
#include "hotkeys/HotkeyEditor.h"
#include "hotkeys/HotkeyModes.h"
#include "macros/RecordedMacro.h"
#include "ui/WidgetFactory.h"

// The main window: every control and every piece of the clicker's state. Its methods are
// spread over the subsystem folders (click run in clicker/, hotkeys in hotkeys/, ...).
class TFrmMain {
 public:
  explicit TFrmMain(app::Services& services);
  ~TFrmMain();
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  // The process-wide main window reference, through which the mouse hook reaches the
  // window: set at the end of creation, cleared first thing in destruction.
  static TFrmMain* Instance();

  // ---- the window and its controls (declaration order is creation order) ----
  ui::Window Form;
  ui::Button btnStart;
  ui::Button btnStop;
  ui::GroupBox GroupBox1;
  ui::RadioGroup targetGroup;
  ui::RadioButton rbCurrentCursorPosition;
  ui::RadioButton rbCoordinates;
  ui::SpinEdit edtCoordX;
  ui::Label Label3;
  ui::SpinEdit edtCoordY;
  ui::RadioButton rbMacros;
  ui::Button btnCreateMacros;
  ui::Button bRemove;
  ui::Button bRename;
  ui::ListBox lbMacroses;
  ui::GroupBox grpInterval;
  ui::Label lblH;
  ui::SpinEdit seHours;
  ui::Label lblM;
  ui::SpinEdit seMinutes;
  ui::Label lblS;
  ui::SpinEdit seSeconds;
  ui::Label lblMS;
  ui::SpinEdit seMillis;
  ui::CheckBox chkJitter;
  ui::SpinEdit seJitterMs;
  ui::GroupBox grpClickType;
  ui::ComboBox cbButton;
  ui::ComboBox cbClickType;
  ui::Label lblHold;
  ui::SpinEdit seHoldMs;
  ui::GroupBox grpDelay;
  ui::Label lblDelayMs;
  ui::SpinEdit seStartDelaySS;
  ui::GroupBox grpClicks;
  ui::RadioGroup repeatGroup;
  ui::RadioButton rbUntilStopped;
  ui::RadioButton rbRepeatCount;
  ui::SpinEdit seRepeat;
  ui::GroupBox grpSafety;
  ui::CheckBox chkMinimizeToTrayOnStart;
  ui::CheckBox chkTopMost;
  ui::Label lblHotkeys;
  ui::Button btnOptions;
  ui::Button btnLang;
  ui::Button Button1;
  ui::Panel Panel1;
  ui::Label Label1;
  ui::Label Label2;
  ui::Timer TimerClick;
  ui::Timer TimerDelay;
  ui::Timer TimerCorner;
  ui::TrayIcon TrayIcon1;
  ui::PopupMenu PopupMenuLang;
  ui::PopupMenu PopupMenuTray;

  // ---- start-up and main window ----
  void FormCreate();
  void FormDestroy();
  void FormCloseQuery();
  void rbCurrentCursorPositionClick();
  void rbCoordinatesClick();
  void chkJitterClick();
  void cbClickTypeChange();
  void rbUntilStoppedClick();
  void rbRepeatCountClick();
  void EnterRecUi(const std::string& AText);
  void SetRecUiText(const std::string& AText);
  void LeaveRecUi();
  void HideToTray();
  void ShowFromTray();
  void SetStatus(const std::string& text) { Label1.SetCaption(text); }

  // ---- window options, tray, about ----
  void chkTopMostClick();
  void chkMinimizeToTrayOnStartClick();
  void TrayIcon1Click();
  void Button1Click();
  void Label2Click();
  void Label2MouseEnter();
  void Label2MouseLeave();
  std::string AboutText() const;

  // ---- click run ----
  void StartRun();
  void StopRun(const std::string& AMessage);
  int GetIntervalMs() const;
  void ScheduleNextClick();
  void btnStartClick();
  void btnStopClick();
  void TimerDelayTimer();
  void TimerClickTimer();

  // ---- options ----
  // The corner failsafe: armed while a run, a countdown or a recording is on, it looks
  // at the pointer on its own coarse timer, never between a tick and its click.
  void UpdateCornerWatch();
  void TimerCornerTimer();
  void StopForCorner();
  // The options dialog; OK applies at once. Not while a run, a countdown or a recording is on.
  void btnOptionsClick();
  // A dialog of the program is open, or a point is being picked: a hotkey or a tray command
  // then waits, since it would act behind the user's back.
  bool Busy() const { return FOptionsOpen || FHotkeyEditorListening || FPicking; }
  // The tray icon's menu: Start, Stop, Show window, Options..., Exit.
  void TrayIcon1ContextMenu(ui::Point screen);
  void PopupMenuTrayClick(int index);
  // Picking the target with the mouse (a double click on a coordinate field).
  void StartPointPick();
  void PointPickInput(const platform::PickInput& input);
  void EndPointPick();
  // A point taken by either kind of pick becomes the coordinates target.
  void UsePickedPoint(ui::Point p);

  // ---- mouse input synthesis ----
  void MoveMouseTo(int AX, int AY);
  void SendMouseDown(int AButton);
  void SendMouseUp(int AButton);
  void SendClick(int AButton);
  void SendDoubleClick(int AButton);
  ui::Point GetTargetPoint();
  void PerformClick(const ui::Point& APoint);

  // ---- global hotkeys ----
  void RegisterHotkeys();
  void UnregisterHotkeys();
  // WM_HOTKEY with its wParam.
  void WndProcHotkey(int id);
  // The release of a registered combination (hold mode).
  void WndProcHotkeyRelease(int id);
  // What a hotkey event does now, and doing it.
  void DispatchHotkey(hotkeys::HotkeySlot slot, hotkeys::HotkeyEdge edge);
  hotkeys::WindowState HotkeyWindowState() const;
  // The pick hotkey: the pointer's position becomes the click target.
  void PickPointAtCursor();
  // The hotkey editor dialog (hotkeys/HotkeyEditor.h holds its state); OK applies at once.
  void OpenHotkeyEditor();
  hotkeys::HotkeySet CurrentHotkeys() const;
  // Registers a set in place of the current one; the first hotkey the system refused, if any.
  std::optional<hotkeys::EditorField> RegisterHotkeySet(const hotkeys::HotkeySet& set);
  std::string HotkeyText(const THotkeyData& hk);
  std::string HotkeyCaption();
  // The hotkey that ends a run, for the running caption: the stop hotkey, or the start
  // hotkey when the stop hotkey is unset and the start hotkey toggles.
  std::string RunStopHotkeyText();

  // ---- macro recorder ----
  void btnCreateMacrosClick();
  void BeginRecordingCountdown();
  void CountdownTimerTimer();
  void StartRecording();
  void InstallMouseHook();
  void RemoveMouseHook();
  void RecordMouseEvent(TMacroEventKind AKind, int AX, int AY, int AButton);
  void StopRecording(const std::string& AReason);
  // Writes a finished recording's file, offering to try again while that fails; false
  // when the user gave up (the macro then has no file).
  bool SaveNewRecording(TRecordedMacro& macro, const std::string& stamp);
  // The low-level hook's procedure body for this window.
  void HookEvent(int nCode, std::uint32_t message, int x, int y);
  // A wheel turn or a key from the hook (`data`: the distance turned, or the key's code).
  void HookInput(std::uint32_t message, int x, int y, std::int32_t data);
  std::string KeysNote() const;

  // ---- macro playback ----
  void StartMacroPlayback();
  void PlayMacro();

  // ---- macro library ----
  void FillMacroList();
  void RefreshMacroListBox();
  MacroPtr GetSelectedMacro() const;
  void bRenameClick();
  void bRemoveClick();
  void rbMacrosClick();

  // ---- settings ----
  void LoadSettings();
  void SaveSettings();
  int GetTargetMode() const;

  // ---- interface language ----
  void UpdateLanguageMenu();
  void TranslateInterface();
  void btnLangClick();
  void MItemClick(int index);

  // ---- state (public so the tests can look; only the window's methods change it) ----
  bool FRunning = false;
  std::uint64_t FClicksDone = 0;
  int FStartHotkeyID = 0, FStpHotkeyID = 0, FStartMacrosHotkeyID = 0, FPickHotkeyID = 0;
  THotkeyData FStartHK, FStpHK, FStartMacrosHK;
  THotkeyData FPickHK;  // unset (Vk 0) unless the user sets it
  bool FPickRegistered = false;
  hotkeys::HotkeyModes FHotkeyModes;
  hotkeys::HotkeyDecider FHotkeyDecider;
  bool FHotkeyEditorListening = false;  // the hotkey editor waits for a combination
  std::vector<MacroPtr> FMacros;
  bool FMouseHook = false;
  bool FRecording = false, FWaitingForRecordStart = false;
  std::uint32_t FRecordingStartTick = 0, FLastRecordTick = 0;
  std::vector<TMacroMouseEvent> FRecordedEvents;
  // Keys seen down during the recording, recorded or not; and those kept out of it because
  // they made one of the program's hotkeys (their release is left out too).
  std::vector<bool> FRecKeysDown = std::vector<bool>(256), FRecKeysLeftOut = std::vector<bool>(256);
  std::int32_t FRecWheelRest = 0;  // a part of a notch turned, waiting for the rest
  std::unique_ptr<ui::Timer> FCountdownTimer;
  int FCountdownValue = 0;
  bool FStopPlaybackRequested = false;
  int FPendingSelectedMacroIndex = -1;
  // Whether a recording adds the keyboard's keys and the wheel's notches to the pointer.
  bool FRecordKeys = false;
  bool FRecordWheel = false;
  bool FHiddenForMacroPlayback = false;
  ui::Point FLastRecordedPoint;
  bool FHasLastRecordedPoint = false;
  ui::Rect FRecUiSavedBounds;
  std::string FRecUiSavedCaption;
  bool FRecUiSavedTopMost = false;
  bool FRecUiActive = false;
  bool FClosing = false;  // the window is closing: nothing can be kept for later
  // Options without a control of the main window, as the settings file holds them.
  int FRadius = 0;
  int FJitterMode = 0;
  bool FCornerStop = false;
  int FSpeed = 100;
  ui::Rect FRunDesk;  // the virtual desktop, read when a run starts
  clicker::CornerRule FCornerRule{ui::Rect{}};
  bool FOptionsOpen = false;
  bool FPicking = false;
  clicker::PointPick FPointPick;

 private:
  void ApplyTargetMode(int mode);
  app::Services& svc_;
  std::mt19937 jitterRng_;
};
