#include "config/ScanOptionSettings.h"

#include <optional>

#include "config/ConfigDocument.h"

namespace {

constexpr const char* kElements[kScanOptionCount] = {
    "FindFilesHaveNotAccessed",
    "SkipReadOnlyFiles",
    "SkipSystemFiles",
    "SkipHiddenFiles",
    "FindZeroLengthFiles",
    "FindInvalidShortcuts",
    "FindTemp",
    "FindIETemp",
    "FindRecent",
    "FindIEHistory",
    "FindIECookies",
};

std::string OptionPath(int option) {
    return std::string("/config/quillmoor/options/") + kElements[option];
}

}  // namespace

const char* ScanOptionElement(ScanOption option) {
    return option >= 0 && option < kScanOptionCount ? kElements[option] : "";
}

ScanOptionValues ReadScanOptions(const std::string& configPath, ValueSet values) {
    ScanOptionValues result;
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return result;
    const char* tick = values == ValueSet::Current ? "checked" : "default";
    for (int option = 0; option < kScanOptionCount; ++option) {
        XmlNode node = document.SelectSingleNode(OptionPath(option));
        result.checked[option] = document.ReadInteger(node.get(), tick) != 0;
        if (option == kFindFilesHaveNotAccessed)
            result.months =
                document.ReadText(node.get(), values == ValueSet::Current ? "month" : "monthdefault");
    }
    return result;
}

StrictlyRead<ScanOptionValues> ReadScanOptionsStrictly(const std::string& configPath) {
    StrictlyRead<ScanOptionValues> result;
    const ScanOptionValues factory = ReadScanOptions(configPath, ValueSet::Factory);
    ConfigDocument document(configPath);
    auto unreadable = [&result](int option, const char* attribute) {
        if (result.unreadable.empty())
            result.unreadable = std::string(kElements[option]) + " " + attribute;
    };
    for (int option = 0; option < kScanOptionCount; ++option) {
        XmlNode node = document.SelectSingleNode(OptionPath(option));
        const std::optional<bool> checked = StrictFlag(document.ReadAttribute(node.get(), "checked"));
        if (checked) {
            result.values.checked[option] = *checked;
        } else {
            result.values.checked[option] = factory.checked[option];
            unreadable(option, "checked");
        }
        if (option != kFindFilesHaveNotAccessed)
            continue;
        const std::optional<std::string> month = document.ReadAttribute(node.get(), "month");
        result.values.months = month.value_or("");
        // The months only count with the test ticked; an empty box with it off is no damage.
        if (result.values.checked[option] && !StrictCount(month)) {
            result.values.months = factory.months;
            unreadable(option, "month");
        }
    }
    return result;
}

bool WriteScanOptions(const std::string& configPath, const ScanOptionValues& values) {
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return false;
    for (int option = 0; option < kScanOptionCount; ++option) {
        XmlNode node = document.SelectSingleNode(OptionPath(option));
        document.WriteAttribute(node.get(), "checked", values.checked[option] ? 1 : 0);
        if (option == kFindFilesHaveNotAccessed)
            document.WriteAttribute(node.get(), "month", values.months);
    }
    return document.Save();
}
