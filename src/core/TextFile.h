#pragma once
// Reads a whole text file into UTF-8, whatever form it was saved in: UTF-16 LE or UTF-8 with a
// byte-order mark, or, without a mark, the form the caller expects of its kind of file.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

enum class UnmarkedText {
    Utf8,      // files that have always been UTF-8, such as the cleaning rules
    AnsiPage,  // files written by older Windows tools, in the system's ANSI code page
};

// The text without blanks, tabs and carriage returns at either end (a line of an INI file).
std::string_view Trimmed(std::string_view text);

// False when the file cannot be opened or read whole, or is larger than largestFile bytes.
bool ReadTextFile(const std::string& path, uint64_t largestFile, UnmarkedText unmarked, std::string& text);

// The same, read from a file already open for reading, from its current position (its start when
// just opened): what was checked of the open file is what is read.
bool ReadOpenTextFile(HANDLE file, uint64_t largestFile, UnmarkedText unmarked, std::string& text);
