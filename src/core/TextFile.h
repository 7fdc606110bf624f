#pragma once
// Reads a whole text file into UTF-8, whatever form it was saved in: UTF-16 LE or UTF-8 with a
// byte-order mark, or, without a mark, the form the caller expects of its kind of file.

#include <cstdint>
#include <string>

enum class UnmarkedText {
    Utf8,      // files that have always been UTF-8, such as the cleaning rules
    AnsiPage,  // files written by older Windows tools, in the system's ANSI code page
};

// False when the file cannot be opened or read whole, or is larger than largestFile bytes.
bool ReadTextFile(const std::string& path, uint64_t largestFile, UnmarkedText unmarked, std::string& text);
