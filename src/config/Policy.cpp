#include "config/Policy.h"

#include <algorithm>
#include <cstring>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

// A mask of wildcards and dots alone ("*", "*.*", "?*") names every file: an added pattern that
// would list everything in the user's folders is no junk pattern, whoever set it.
bool NamesEveryFile(const std::string& mask) {
    return mask.find_first_not_of("*?. ") == std::string::npos;
}

bool SetLocation(Policy& policy, int index, DWORD value) {
    policy.locations[static_cast<size_t>(index)] = value != 0;
    return true;
}

// The rows' appliers; a captureless lambda per row keeps each row in one line of the table.
using Apply = bool (*)(Policy&, const PolicyValue&, const PathFolders&);

constexpr Apply kLocation[kPolicyLocationCount] = {
    [](Policy& p, const PolicyValue& v, const PathFolders&) { return SetLocation(p, 0, v.number); },
    [](Policy& p, const PolicyValue& v, const PathFolders&) { return SetLocation(p, 1, v.number); },
    [](Policy& p, const PolicyValue& v, const PathFolders&) { return SetLocation(p, 2, v.number); },
    [](Policy& p, const PolicyValue& v, const PathFolders&) { return SetLocation(p, 3, v.number); },
    [](Policy& p, const PolicyValue& v, const PathFolders&) { return SetLocation(p, 4, v.number); },
};

const PolicyRow kRows[] = {
    {"FindTemp", PolicyType::Flag, 0, 1, kLocation[0]},
    {"FindIETemp", PolicyType::Flag, 0, 1, kLocation[1]},
    {"FindRecent", PolicyType::Flag, 0, 1, kLocation[2]},
    {"FindIEHistory", PolicyType::Flag, 0, 1, kLocation[3]},
    {"FindIECookies", PolicyType::Flag, 0, 1, kLocation[4]},
    {"RulesOn", PolicyType::Texts, 0, 0,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.rulesOn = v.texts;
         return true;
     }},
    {"RulesOff", PolicyType::Texts, 0, 0,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.rulesOff = v.texts;
         return true;
     }},
    {"NoWinapp2", PolicyType::Flag, 0, 1,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.noWinapp2 = v.number != 0;
         return true;
     }},
    {"AddedPatterns", PolicyType::Texts, 0, 0,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         if (std::any_of(v.texts.begin(), v.texts.end(), NamesEveryFile))
             return false;
         p.addedPatterns = v.texts;
         return true;
     }},
    {"AddedSkipFolders", PolicyType::Texts, 0, 0,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.addedSkipFolders = v.texts;
         return true;
     }},
    {"AlwaysBackup", PolicyType::Flag, 0, 1,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.alwaysBackup = v.number != 0;
         return true;
     }},
    {"BackupFolder", PolicyType::Text, 0, 0,
     [](Policy& p, const PolicyValue& v, const PathFolders& folders) {
         // Restore points in a folder that is no full path would be made where the process happens
         // to stand, and the rescue manager would never find them.
         std::string folder = TranslatePath(v.text, PathDirection::Expand, folders);
         if (!win::IsFullPath(folder))
             return false;
         p.backupFolder = std::move(folder);
         return true;
     }},
    {"RecycleBinOnly", PolicyType::Flag, 0, 1,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.recycleBinOnly = v.number != 0;
         return true;
     }},
    {"AutomaticCleaning", PolicyType::Flag, 0, 1,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.automatic = v.number != 0;
         p.schedule.enabled = v.number != 0;
         return true;
     }},
    {"AutomaticCadence", PolicyType::Number, 0, 3,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.schedule.kind = static_cast<ScheduleKind>(v.number);
         return true;
     }},
    {"AutomaticWeekday", PolicyType::Number, 0, 6,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.schedule.dayOfWeek = static_cast<int>(v.number);
         return true;
     }},
    {"AutomaticMonthDay", PolicyType::Number, 1, 28,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.schedule.dayOfMonth = static_cast<int>(v.number);
         return true;
     }},
    {"AutomaticHour", PolicyType::Number, 0, 23,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.schedule.hour = static_cast<int>(v.number);
         return true;
     }},
    {"AutomaticMinute", PolicyType::Number, 0, 59,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.schedule.minute = static_cast<int>(v.number);
         return true;
     }},
    {"AutomaticFreeSpaceGb", PolicyType::Number, 0, 100000,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.schedule.freeSpaceBelowGb = static_cast<int>(v.number);
         return true;
     }},
    {"AutomaticFolders", PolicyType::Texts, 0, 0,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         // A folder that is no full path would be searched wherever the task starts.
         if (!std::all_of(v.texts.begin(), v.texts.end(),
                          [](const std::string& f) { return win::IsFullPath(f); }))
             return false;
         p.schedule.folders = v.texts;
         return true;
     }},
    {"NoTypedUrlTool", PolicyType::Flag, 0, 1,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.noTypedUrlTool = v.number != 0;
         return true;
     }},
    {"NoRestorePointRemoval", PolicyType::Flag, 0, 1,
     [](Policy& p, const PolicyValue& v, const PathFolders&) {
         p.noPointRemoval = v.number != 0;
         return true;
     }},
};

// UTF-16 text of a string value: up to its first null (a value need not end with one).
std::string TextOf(const std::vector<BYTE>& data) {
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::min(text.size(), text.find(L'\0')));
    return win::Narrow(text);
}

std::vector<std::string> TextsOf(const std::vector<BYTE>& data) {
    std::wstring all(data.size() / sizeof(wchar_t), L'\0');
    if (!all.empty())
        std::memcpy(all.data(), data.data(), all.size() * sizeof(wchar_t));
    std::vector<std::string> texts;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(L'\0', start);
        if (end == std::wstring::npos)
            end = all.size();
        // Blank lines in the editor's box name nothing.
        if (end > start && all.find_first_not_of(L' ', start) < end)
            texts.push_back(win::Narrow(std::wstring_view(all).substr(start, end - start)));
        start = end + 1;
    }
    return texts;
}

// The value as the row takes it, or why it is ignored (a language key).
std::optional<PolicyValue> Checked(const PolicyRow& row, const RegistryValue& raw, const char** why) {
    PolicyValue value;
    switch (row.type) {
        case PolicyType::Flag:
        case PolicyType::Number:
            if (raw.type != REG_DWORD || raw.data.size() != sizeof(DWORD)) {
                *why = "_PolicyWrongType";
                return std::nullopt;
            }
            std::memcpy(&value.number, raw.data.data(), sizeof(DWORD));
            if (value.number < row.minimum || value.number > row.maximum) {
                *why = "_PolicyOutOfRange";
                return std::nullopt;
            }
            return value;
        case PolicyType::Text:
            if (raw.type != REG_SZ && raw.type != REG_EXPAND_SZ) {
                *why = "_PolicyWrongType";
                return std::nullopt;
            }
            value.text = TextOf(raw.data);
            if (value.text.empty()) {
                *why = "_PolicyOutOfRange";
                return std::nullopt;
            }
            return value;
        case PolicyType::Texts:
            if (raw.type != REG_MULTI_SZ) {
                *why = "_PolicyWrongType";
                return std::nullopt;
            }
            value.texts = TextsOf(raw.data);
            return value;
    }
    return std::nullopt;
}

const char* ScopeName(PolicyScope scope) {
    return scope == PolicyScope::Machine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::optional<RegistryValue> ReadRegistryValue(HKEY hive, const std::string& name) {
    // Group Policy writes the machine's values in the 64-bit view; a 32-bit program reads that view
    // too (HKCU is not redirected, the flag changes nothing there).
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(hive, kPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    win::UniqueRegKey key(opened);
    const std::wstring valueName = win::Wide(name);
    for (DWORD size = 256;;) {
        RegistryValue value;
        value.data.resize(size);
        DWORD got = size;
        const LSTATUS status =
            ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &value.type, value.data.data(), &got);
        if (status == ERROR_MORE_DATA && got > size) {
            size = got;
            continue;
        }
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        value.data.resize(got);
        return value;
    }
}

}  // namespace

bool Policy::LocationForced(int option) const {
    const int index = option - kFindTemp;
    return index >= 0 && index < kPolicyLocationCount && locations[static_cast<size_t>(index)].has_value();
}

std::span<const PolicyRow> PolicyRows() {
    return kRows;
}

Policy ReadPolicy(const PolicyLookup& lookup, const PathFolders& folders) {
    Policy policy;
    for (const PolicyRow& row : kRows) {
        for (PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
            const std::optional<RegistryValue> raw = lookup(scope, row.name);
            if (!raw)
                continue;
            const char* why = "_PolicyOutOfRange";
            const std::optional<PolicyValue> value = Checked(row, *raw, &why);
            if (value && row.apply(policy, *value, folders))
                break;
            policy.ignored.push_back(FormatText(
                Translate(why),
                {std::string(row.name), std::string(ScopeName(scope)) + "\\" + win::Narrow(kPolicyKey)}));
        }
    }
    return policy;
}

PolicyLookup RegistryPolicyLookup() {
    return [](PolicyScope scope, const std::string& name) {
        return ReadRegistryValue(scope == PolicyScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                                 name);
    };
}

void ApplyPolicy(const Policy& policy, ScanOptionValues& options) {
    for (int i = 0; i < kPolicyLocationCount; ++i)
        if (policy.locations[static_cast<size_t>(i)])
            options.checked[static_cast<size_t>(kFindTemp + i)] = *policy.locations[static_cast<size_t>(i)];
}

void ApplyPolicy(const Policy& policy, CleanOptionValues& options) {
    if (policy.alwaysBackup)
        options.backup = true;
    if (policy.backupFolder)
        options.backupDirectory = *policy.backupFolder;
    if (policy.RemovalForced())
        options.removal = RemovalMode::RecycleBin;
}

void ApplyPolicy(const Policy& policy, WizardSettings& settings) {
    ApplyPolicy(policy, settings.scanOptions);
    ApplyPolicy(policy, settings.cleanOptions);
    for (const std::string& mask : policy.addedPatterns)
        settings.patterns.push_back({mask, Translate("_PolicyPatternDescription"), true});
    for (const std::string& folder : policy.addedSkipFolders)
        settings.skipFolders.push_back({folder, true});
}
