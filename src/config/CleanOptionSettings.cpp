#include "config/CleanOptionSettings.h"

#include "config/ConfigDocument.h"
#include "config/PathVariables.h"

namespace {

constexpr char kCleanMode[] = "/config/quillmoor/CleanOptions/CleanMode";
constexpr char kBackup[] = "/config/quillmoor/CleanOptions/Backup";

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
    return document.Save();
}

std::string ReadBackupDirectory(const std::string& configPath) {
    ConfigDocument document(configPath);
    return ExpandPathVariables(
        document.ReadText(document.SelectSingleNode(kBackup).get(), "BackupDirectory"));
}
