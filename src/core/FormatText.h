#pragma once
// printf-style formatting of translated texts. The format comes from the language file, so a
// conversion that does not fit its argument (or has none) must never read the wrong type:
// each conversion is applied to the argument's real type, and missing arguments print nothing.

#include <initializer_list>
#include <string>
#include <variant>

using FormatArg = std::variant<long long, double, std::string>;

std::string FormatText(const std::string& format, std::initializer_list<FormatArg> args);
