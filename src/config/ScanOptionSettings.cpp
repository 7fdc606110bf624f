#include "config/ScanOptionSettings.h"

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
