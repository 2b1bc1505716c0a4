#include "i18n/Format.h"

namespace i18n {

std::string FormatText(const std::string& format, std::initializer_list<std::string> values) {
  std::string out;
  out.reserve(format.size() + 32);
  auto next = values.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == 'd') &&
        next != values.end()) {
      out += *next++;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

}  // namespace i18n
