#pragma once
// File-mask matching: '*' any run (also empty), '?' exactly one character, anything else itself.
// Both texts are expected lower-cased by the caller, so the match ignores letter case.

#include <string_view>

bool MatchWildcard(std::string_view mask, std::string_view name) noexcept;
