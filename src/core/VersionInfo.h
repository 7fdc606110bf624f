#pragma once
// String values of a program file's version resource, in its first language and code page.

#include <string>

// "ProductName", "ProductVersion", ... of the file at path; empty when anything is missing.
std::string ProductStringOf(const std::string& path, const std::string& valueName);
// The same for the running program's own file.
std::string ProductString(const std::string& valueName);
