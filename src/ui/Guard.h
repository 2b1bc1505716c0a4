#pragma once

#include <functional>
#include <string>

namespace ui {

// The application's top-level error handler. Every entry from the platform into the
// program (a user action, a timer tick, a hotkey, a hook event) runs under Guarded, so an
// error that a command does not catch is shown in an error box and the program goes on.
using ErrorReporter = std::function<void(const std::string& text)>;

void SetErrorReporter(ErrorReporter reporter);
void ReportError(const std::string& text);
void Guarded(const std::function<void()>& action);

}  // namespace ui
