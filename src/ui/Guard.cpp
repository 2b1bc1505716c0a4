#include "ui/Guard.h"

#include <exception>
#include <utility>

namespace ui {
namespace {
ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}
}  // namespace

void SetErrorReporter(ErrorReporter reporter) { Reporter() = std::move(reporter); }

void ReportError(const std::string& text) {
  if (Reporter()) Reporter()(text);
}

void Guarded(const std::function<void()>& action) {
  if (!action) return;
  try {
    action();
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unknown error");
  }
}

}  // namespace ui
