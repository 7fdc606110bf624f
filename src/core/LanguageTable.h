#pragma once
// Every visible text of the program is a key such as "_Next"; this table looks the words up in
// the chosen translation, then in the English INI language file beside the program (section
// "String"), so a key a translation lacks still shows its English text.

#include <windows.h>

#include <shared_mutex>
#include <string>
#include <unordered_map>

#include "core/LanguageFile.h"

class LanguageTable {
  public:
    // The one table of the process.
    static LanguageTable& Instance();

    // Stores the language file's path; called once at start-up.
    void SetPath(const std::string& path);
    const std::string& Path() const noexcept { return path_; }

    // Reads the translation whose texts come first; an empty path means English alone. False when
    // the file cannot be read: the table then shows English.
    bool SetTranslation(const std::string& path);

    // The text for key, or the key itself when the file has no non-empty value for it.
    // Safe to call from several threads at once.
    std::string Translate(const std::string& key, bool expandEscapes = false) const;

    // The key's text in the English language file whatever the translation, or "" when it has
    // none: what a text the program keeps in English (config.xml's factory descriptions) reads as.
    std::string English(const std::string& key) const;

    // Translates the window's caption and those of all its descendants, expanding \r and \n.
    void TranslateWindow(HWND window) const;

    // Translates the window's own caption only, expanding \r and \n.
    void TranslateWindowOnly(HWND window) const { TranslateOneWindow(window); }

    // Translates every item of a menu and its submenus, without escape expansion.
    void TranslateMenu(HMENU menu) const;

  private:
    std::string ReadValue(const std::string& key) const;
    std::string ReadEnglishValue(const std::string& key) const;
    void TranslateOneWindow(HWND window) const;
    static BOOL CALLBACK TranslateChild(HWND child, LPARAM self);

    std::string path_;
    LanguageTexts translation_;
    // Values read once per key: lookups are frequent (one per found file) and the file does not
    // change while the program runs.
    mutable std::shared_mutex cacheMutex_;
    mutable std::unordered_map<std::string, std::string> cache_;
    mutable std::unordered_map<std::string, std::string> englishCache_;
};

// Replaces every backslash-r by a carriage return, then every backslash-n by a line feed.
std::string ExpandEscapes(const std::string& text);

// Shorthand for LanguageTable::Instance().Translate.
inline std::string Translate(const std::string& key, bool expandEscapes = false) {
    return LanguageTable::Instance().Translate(key, expandEscapes);
}
