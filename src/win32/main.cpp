// The Windows edition's composition root: the only place that names the concrete classes.

#include "win32/Win32Widgets.h"
// (first: it removes the Windows macros that clash with the kit's names)

#include "app/Services.h"
#include "app/Startup.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32Services.h"
#include "win32/Win32PointPicker.h"
#include "win32/Win32Style.h"
#include "win32/Win32UpdatePackage.h"
#include "win32/WinHttp.h"

namespace {

// The manifest declares per-monitor (v2) awareness; this covers a copy of the program
// whose manifest was stripped. It fails harmlessly when the awareness is already set.
void DeclarePerMonitorDpiAwareness() {
  using Fn = BOOL(WINAPI*)(HANDLE);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (fn) fn(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));  // PER_MONITOR_AWARE_V2
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  DeclarePerMonitorDpiAwareness();

  // The visual style comes first, so that every window is made in it; when it cannot be
  // applied the program says so and goes on with the system's look.
  win32::Style style;
  std::string styleError;
  const bool styled = style.Apply(L"MIDNIGHTEXPRESSGREEN", styleError);

  win32::Win32Services machine;
  win32::Win32WidgetFactory widgets(style);
  win32::Win32Dialogs dialogs(widgets);
  win32::Win32MessageQueue queue(widgets);
  if (!styled)
    dialogs.MessageBox(ui::MsgKind::Error,
                       "The visual style \"Midnight Express Green\" cannot be applied: " + styleError,
                       ui::MsgButtons::Ok);
  std::unique_ptr<platform::HttpClientFactory> http = win32::MakeWinHttpFactory(queue);
  win32::Win32UpdatePackage updatePackage;
  win32::CngCrypto crypto;
  win32::HookPointPicker picker;

  app::Services services{.widgets = widgets,
                         .dialogs = dialogs,
                         .queue = queue,
                         .mouse = machine.Mouse(),
                         .screen = machine.Screen(),
                         .hotkeys = machine.Hotkeys(),
                         .mouseHook = machine.Hook(),
                         .clock = machine.Clock(),
                         .registry = machine.Registry(),
                         .env = machine.Environment(),
                         .shell = machine.Shell(),
                         .profile = machine.Profile(),
                         .http = *http,
                         .updatePackage = updatePackage,
                         .crypto = crypto,
                         .picker = picker};
  // At log-off the process ends right after WM_ENDSESSION: the close and the save run
  // inside that message.
  widgets.SetSessionEndHandler([] { app::EndSessionNow(); });
  return app::RunApplication(services, [&widgets] { win32::RunMessageLoop(widgets); });
}
