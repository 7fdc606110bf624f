#pragma once
// printf-style formatting of translated texts. The format comes from the language file, so a
// conversion that does not fit its argument (or has none) must never read the wrong type:
// each conversion is applied to the argument's real type, and missing arguments print nothing.
// A conversion may name its argument ("%2$s", "%1$.2f", counted from 1), so a translation can put
// the arguments in the order its sentence needs; one without a position takes the next in turn.

#include <initializer_list>
#include <string>
#include <variant>

using FormatArg = std::variant<long long, double, std::string>;

std::string FormatText(const std::string& format, std::initializer_list<FormatArg> args);
