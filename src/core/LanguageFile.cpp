#include "core/LanguageFile.h"

#include "core/TextFile.h"
#include "win/TextParts.h"

namespace {

// Larger than any language file: the English one is some 30 KB.
constexpr uint64_t kLargestLanguageFile = 4ull << 20;

}  // namespace

std::string LanguageKey(std::string_view key) {
    return win::LowerAscii(Trimmed(key));
}

LanguageTexts ParseLanguageText(std::string_view text) {
    LanguageTexts texts;
    bool inStrings = false;
    for (const std::string_view raw : win::Lines(text)) {
        const std::string_view line = Trimmed(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            inStrings = close != std::string_view::npos && LanguageKey(line.substr(1, close - 1)) == "string";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inStrings || equals == std::string_view::npos)
            continue;
        std::string_view value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == '"' || value.front() == '\''))
            value = value.substr(1, value.size() - 2);
        texts.emplace(LanguageKey(line.substr(0, equals)), std::string(value));
    }
    return texts;
}

bool ReadLanguageFile(const std::string& path, LanguageTexts& texts) {
    std::string text;
    texts.clear();
    if (!ReadTextFile(path, kLargestLanguageFile, UnmarkedText::AnsiPage, text))
        return false;
    texts = ParseLanguageText(text);
    return true;
}
