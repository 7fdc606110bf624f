#include "config/CleanOptionSettings.h"

#include <algorithm>
#include <optional>
#include <string>

#include "config/ConfigDocument.h"
#include "config/PathVariables.h"

namespace {

constexpr char kCleanMode[] = "/config/quillmoor/CleanOptions/CleanMode";
constexpr char kBackup[] = "/config/quillmoor/CleanOptions/Backup";
constexpr char kCleanOptions[] = "/config/quillmoor/CleanOptions";
constexpr char kPointsElement[] = "RemoveRestorePoints";
constexpr char kPoints[] = "/config/quillmoor/CleanOptions/RemoveRestorePoints";

}  // namespace

CleanOptionValues ReadCleanOptions(const std::string& configPath, ValueSet values) {
    CleanOptionValues result;
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return result;
    const bool current = values == ValueSet::Current;
    XmlNode mode = document.SelectSingleNode(kCleanMode);
    // Any index but 0 is the second choice, the Recycle Bin.
    result.removal = document.ReadInteger(mode.get(), current ? "index" : "defaultindex") != 0
                         ? RemovalMode::RecycleBin
                         : RemovalMode::Permanent;
    XmlNode backup = document.SelectSingleNode(kBackup);
    result.backup = document.ReadInteger(backup.get(), current ? "checked" : "default") != 0;
    result.backupDirectory = ExpandPathVariables(
        document.ReadText(backup.get(), current ? "BackupDirectory" : "DefaultBackupDirectory"));
    XmlNode points = document.SelectSingleNode(kPoints);
    if (points) {
        result.removeOldPoints = document.ReadInteger(points.get(), current ? "checked" : "default") != 0;
        // An element this version appended to an older file holds no factory count.
        if (const std::optional<std::string> days =
                document.ReadAttribute(points.get(), current ? "days" : "defaultdays"))
            result.pointDays = std::max(1, ParseConfigInteger(*days));
    }
    return result;
}

namespace {

StrictCleanOptions ReadCurrentCleanOptionsStrictly(const std::string& configPath) {
    StrictCleanOptions result;
    ConfigDocument document(configPath);
    XmlNode mode = document.SelectSingleNode(kCleanMode);
    XmlNode backup = document.SelectSingleNode(kBackup);
    // 0 or 1, as the program writes them; anything else is a damaged setting, not a choice.
    auto flag = [&document](IXMLDOMNode* node, const char* name, bool& value) {
        const std::optional<std::string> text = document.ReadAttribute(node, name);
        if (!text || (*text != "0" && *text != "1"))
            return false;
        value = *text == "1";
        return true;
    };
    bool recycle = false;
    if (!flag(mode.get(), "index", recycle)) {
        result.unreadable = "CleanMode index";
        return result;
    }
    result.values.removal = recycle ? RemovalMode::RecycleBin : RemovalMode::Permanent;
    if (!flag(backup.get(), "checked", result.values.backup)) {
        result.unreadable = "Backup checked";
        return result;
    }
    const std::optional<std::string> folder = document.ReadAttribute(backup.get(), "BackupDirectory");
    if (result.values.backup && !folder)
        result.unreadable = "Backup BackupDirectory";
    else if (folder)
        result.values.backupDirectory = ExpandPathVariables(*folder);
    if (!result.unreadable.empty())
        return result;
    // Written before restore points expired: kept for ever, as they were then.
    XmlNode points = document.SelectSingleNode(kPoints);
    if (!points)
        return result;
    if (!flag(points.get(), "checked", result.values.removeOldPoints)) {
        result.unreadable = "RemoveRestorePoints checked";
        return result;
    }
    // A damaged count must not pass for "0 days", which would take every point at once.
    const std::optional<int> days = StrictCount(document.ReadAttribute(points.get(), "days"));
    if (days && *days >= 1)
        result.values.pointDays = *days;
    else if (result.values.removeOldPoints)
        result.unreadable = "RemoveRestorePoints days";
    return result;
}

}  // namespace

StrictCleanOptions ReadCleanOptionsStrictly(const std::string& configPath) {
    StrictCleanOptions result = ReadCurrentCleanOptionsStrictly(configPath);
    if (!result.unreadable.empty())
        result.values = ReadCleanOptions(configPath, ValueSet::Factory);
    return result;
}

bool WriteCleanOptions(const std::string& configPath, const CleanOptionValues& values) {
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return false;
    document.WriteAttribute(document.SelectSingleNode(kCleanMode).get(), "index",
                            values.removal == RemovalMode::RecycleBin ? 1 : 0);
    XmlNode backup = document.SelectSingleNode(kBackup);
    document.WriteAttribute(backup.get(), "checked", values.backup ? 1 : 0);
    document.WriteAttribute(backup.get(), "BackupDirectory", ContractPathVariables(values.backupDirectory));
    const std::string ticked = values.removeOldPoints ? "1" : "0";
    const std::string days = std::to_string(std::max(1, values.pointDays));
    if (XmlNode points = document.SelectSingleNode(kPoints)) {
        document.WriteAttribute(points.get(), "checked", ticked);
        document.WriteAttribute(points.get(), "days", days);
    } else {
        // No factory values: this file's factory stays what it was when it was written.
        document.AppendElement(document.SelectSingleNode(kCleanOptions).get(), kPointsElement, "",
                               {{"checked", ticked}, {"days", days}});
    }
    return document.Save();
}

std::string ReadBackupDirectory(const std::string& configPath) {
    ConfigDocument document(configPath);
    return ExpandPathVariables(
        document.ReadText(document.SelectSingleNode(kBackup).get(), "BackupDirectory"));
}
