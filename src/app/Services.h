#pragma once

#include "platform/Clock.h"
#include "platform/Crypto.h"
#include "platform/Hotkeys.h"
#include "platform/Http.h"
#include "platform/MouseHook.h"
#include "platform/MouseInput.h"
#include "platform/PointPicker.h"
#include "platform/Screen.h"
#include "platform/System.h"
#include "platform/UpdatePackage.h"
#include "ui/Dialogs.h"
#include "ui/WidgetFactory.h"

namespace app {

// Everything the program asks of the machine. One composition root per edition fills it;
// the unit tests fill it with fakes.
struct Services {
  ui::WidgetFactory& widgets;
  ui::Dialogs& dialogs;
  ui::MessageQueue& queue;
  platform::MouseInputSink& mouse;
  platform::Screen& screen;
  platform::HotkeyRegistrar& hotkeys;
  platform::MouseHook& mouseHook;
  platform::Clock& clock;
  platform::Registry& registry;
  platform::Environment& env;
  platform::Shell& shell;
  platform::ProfileStore& profile;
  platform::HttpClientFactory& http;
  platform::UpdatePackage& updatePackage;
  platform::Crypto& crypto;
  platform::PointPicker& picker;
};

}  // namespace app
