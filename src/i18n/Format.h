#pragma once

#include <initializer_list>
#include <string>

namespace i18n {

// Fills the "%s" / "%d" placeholders of an already translated format text, in order.
// A translation that lost a placeholder simply shows fewer values; one with extra
// placeholders keeps them as text. Values are never themselves scanned for placeholders.
std::string FormatText(const std::string& format, std::initializer_list<std::string> values);

}  // namespace i18n
