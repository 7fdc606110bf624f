#pragma once
// File-mask matching: '*' any run (also empty), '?' exactly one character (a surrogate pair is one
// character), anything else itself. Both texts are UTF-16 folded by the caller (win::Folded), so
// the match ignores letter case in every script.

#include <string_view>

bool MatchWildcard(std::wstring_view mask, std::wstring_view name) noexcept;
