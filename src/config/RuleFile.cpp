#include "config/RuleFile.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>

#include "core/TextFile.h"
#include "win/TextParts.h"

namespace {

constexpr uint64_t kLargestRuleFile = 64ull << 20;

using win::LowerAscii;
using win::Split;

// The ';'-separated masks of a value; false when one of them is empty.
bool ParseMasks(std::string_view text, std::vector<std::string>& masks) {
    for (std::string_view mask : Split(text, ';')) {
        mask = Trimmed(mask);
        if (mask.empty())
            return false;
        masks.emplace_back(mask);
    }
    return true;
}

bool ParseVersion(std::string_view text, RuleOsVersion& version) {
    text = Trimmed(text);
    if (text.empty())
        return true;
    const std::vector<std::string_view> parts = Split(text, '.');
    if (parts.size() > 2)
        return false;
    unsigned numbers[2] = {0, 0};
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].empty() || parts[i].size() > 4 ||
            !std::all_of(parts[i].begin(), parts[i].end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        for (char c : parts[i])
            numbers[i] = numbers[i] * 10 + static_cast<unsigned>(c - '0');
    }
    version = {numbers[0], numbers[1]};
    return true;
}

// Reads one "key=value" line into the entry; the reason it cannot be read, or "".
class EntryReader {
  public:
    explicit EntryReader(RuleEntry& entry) : entry_(entry) {}

    std::string Read(std::string_view key, std::string_view value) {
        // The key's name and its number: "FileKey12" is "filekey" and "12".
        size_t digits = key.size();
        while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9')
            --digits;
        const std::string name = LowerAscii(key.substr(0, digits));
        const bool numbered = digits < key.size();
        if (!seen_.insert(LowerAscii(key)).second)
            return std::string(key) + " is given twice";
        if (numbered && (name == "langsecref" || name == "section" || name == "detectos" ||
                         name == "default" || name == "warning" || name == "specialdetect"))
            return "unknown key " + std::string(key);
        if (!numbered && (name == "filekey" || name == "excludekey" || name == "regkey"))
            return std::string(key) + " has no number";

        if (name == "langsecref" || name == "section") {
            if (!entry_.group.empty())
                return "LangSecRef and Section both name a group";
            entry_.group.assign(value);
            entry_.groupByNumber = name == "langsecref";
        } else if (name == "detect") {
            if (value.empty())
                return std::string(key) + " names no registry key";
            entry_.detectKeys.emplace_back(value);
        } else if (name == "detectfile") {
            if (value.empty())
                return std::string(key) + " names no file";
            entry_.detectFiles.emplace_back(value);
        } else if (name == "detectos") {
            const std::vector<std::string_view> sides = Split(value, '|');
            if (sides.size() != 2 || !ParseVersion(sides[0], entry_.osFrom) ||
                !ParseVersion(sides[1], entry_.osTo))
                return "DetectOS is no version range";
            entry_.hasOsRange = true;
        } else if (name == "specialdetect") {
            return "unknown detection (SpecialDetect)";
        } else if (name == "default") {
            if (win::SameAscii(value, "true"))
                entry_.byDefault = true;
            else if (!win::SameAscii(value, "false"))
                return "Default is neither True nor False";
        } else if (name == "warning") {
            entry_.warning.assign(value);
        } else if (name == "filekey") {
            return ReadFileKey(key, value);
        } else if (name == "excludekey") {
            return ReadExclude(key, value);
        } else if (name == "regkey") {
            ++entry_.registryValues;
        } else {
            return "unknown key " + std::string(key);
        }
        return {};
    }

  private:
    std::string ReadFileKey(std::string_view key, std::string_view value) {
        const std::vector<std::string_view> fields = Split(value, '|');
        RuleFileKey files;
        files.folder.assign(Trimmed(fields[0]));
        if (fields.size() < 2 || fields.size() > 3 || files.folder.empty() ||
            !ParseMasks(fields[1], files.masks))
            return std::string(key) + " is not folder|masks[|RECURSE|REMOVESELF]";
        if (fields.size() == 3) {
            if (win::SameAscii(Trimmed(fields[2]), "RECURSE"))
                files.recurse = true;
            else if (win::SameAscii(Trimmed(fields[2]), "REMOVESELF"))
                files.recurse = files.removeSelf = true;
            else
                return std::string(key) + " ends in neither RECURSE nor REMOVESELF";
        }
        entry_.files.push_back(std::move(files));
        return {};
    }

    std::string ReadExclude(std::string_view key, std::string_view value) {
        const std::vector<std::string_view> fields = Split(value, '|');
        RuleExclude exclude;
        const bool known =
            fields.size() >= 2 && (win::SameAscii(fields[0], "FILE") || win::SameAscii(fields[0], "PATH"));
        exclude.wholeFolders = known && win::SameAscii(fields[0], "PATH");
        if (known)
            exclude.folder.assign(Trimmed(fields[1]));
        const bool masksRead = fields.size() == 3 && ParseMasks(fields[2], exclude.masks);
        if (!known || exclude.folder.empty() || fields.size() > 3 || (fields.size() == 3 && !masksRead) ||
            (fields.size() == 2 && !exclude.wholeFolders))
            return std::string(key) + " is not FILE|folder|masks, PATH|folder|masks or PATH|folder";
        entry_.excludes.push_back(std::move(exclude));
        return {};
    }

    RuleEntry& entry_;
    std::set<std::string> seen_;  // keys read so far, lower case
};

}  // namespace

std::vector<RuleEntry> ParseRules(std::string_view text) {
    std::vector<RuleEntry> entries;
    std::unique_ptr<EntryReader> reader;
    size_t lineNumber = 0;
    for (const std::string_view raw : win::Lines(text)) {
        const std::string_view line = Trimmed(raw);
        ++lineNumber;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            RuleEntry& entry = entries.emplace_back();
            reader = std::make_unique<EntryReader>(entry);
            if (line.back() != ']' || line.size() < 3) {
                entry.leftOut = "line " + std::to_string(lineNumber) + ": the section name is not closed";
                continue;
            }
            std::string_view name = Trimmed(line.substr(1, line.size() - 2));
            if (name.size() >= 2 && name.substr(name.size() - 2) == " *")
                name = Trimmed(name.substr(0, name.size() - 2));
            entry.name.assign(name);
            if (entry.name.empty())
                entry.leftOut = "line " + std::to_string(lineNumber) + ": the entry has no name";
            continue;
        }
        if (!reader)
            continue;
        RuleEntry& entry = entries.back();
        if (!entry.leftOut.empty())
            continue;
        const size_t equals = line.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view() : Trimmed(line.substr(0, equals));
        if (key.empty()) {
            entry.leftOut = "line " + std::to_string(lineNumber) + ": not a key=value line";
            continue;
        }
        const std::string problem = reader->Read(key, Trimmed(line.substr(equals + 1)));
        if (!problem.empty())
            entry.leftOut = "line " + std::to_string(lineNumber) + ": " + problem;
    }
    return entries;
}

bool ReadRuleFileText(const std::string& path, std::string& text) {
    return ReadTextFile(path, kLargestRuleFile, UnmarkedText::Utf8, text);
}

bool ReadRuleFileText(HANDLE file, std::string& text) {
    return ReadOpenTextFile(file, kLargestRuleFile, UnmarkedText::Utf8, text);
}
