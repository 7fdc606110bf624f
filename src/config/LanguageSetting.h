#pragma once
// The language the user chose in the Language menu, in config.xml's element
// "/config/quillmoor/Language" (attribute "tag": "en", or a shipped translation's tag). Older
// versions of the program ignore the element and keep it when they save; no element means "the
// language of Windows".

#include <string>

// The stored tag; empty when the file, the element or its tag is missing.
std::string ReadLanguageChoice(const std::string& configPath);

// Stores tag (empty: removes the choice) and saves; every other setting stays as it is. True
// when the file was saved.
bool WriteLanguageChoice(const std::string& configPath, const std::string& tag);
