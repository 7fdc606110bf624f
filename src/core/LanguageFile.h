#pragma once
// A translation file: the INI form of the English language file (section "String", key=value),
// read whole and in the encodings a translator's editor saves (UTF-8 or UTF-16 LE with a
// byte-order mark, else the ANSI code page), with the profile API's rules: keys without regard to
// case or surrounding blanks, blanks around a value dropped, one pair of enclosing quotes dropped,
// comment lines starting with ';', the first of two equal keys kept.

#include <string>
#include <string_view>
#include <unordered_map>

// Values of section "String" by key in lower case.
using LanguageTexts = std::unordered_map<std::string, std::string>;

LanguageTexts ParseLanguageText(std::string_view text);

// False when the file cannot be read; texts is then empty.
bool ReadLanguageFile(const std::string& path, LanguageTexts& texts);

// The key as the table stores it: lower case (keys are ASCII), without surrounding blanks.
std::string LanguageKey(std::string_view key);
