#include "config/FactoryDescriptions.h"

#include "core/LanguageTable.h"

namespace {

// One key per factory description; the English language file holds the text config.xml ships.
constexpr const char* kFactoryDescriptionKeys[] = {
    "_FactoryPatternTemporaryFiles",   "_FactoryPatternTildeNames",
    "_FactoryPatternTildeExtensions",  "_FactoryPatternInstallerTemporaryFiles",
    "_FactoryPatternMemoryDumps",      "_FactoryPatternJavaCrashReports",
    "_FactoryPatternDrWatsonLog",      "_FactoryPatternDiskCheckFragments",
    "_FactoryPatternFolderThumbnails", "_FactoryPatternMediaCenterThumbnails",
    "_FactoryPatternHelpIndexes",      "_FactoryPatternHelpSearchFiles",
    "_FactoryPatternInstallerMarkers", "_FactoryPatternBackupCopies",
    "_FactoryPatternOlderVersions",    "_FactoryPatternWordBackups",
};

}  // namespace

std::string DescriptionShown(const std::string& stored) {
    if (stored.empty())
        return stored;
    const LanguageTable& table = LanguageTable::Instance();
    for (const char* key : kFactoryDescriptionKeys)
        if (table.English(key) == stored)
            return table.Translate(key);
    return stored;
}

std::string DescriptionStored(const std::string& shown) {
    if (shown.empty())
        return shown;
    const LanguageTable& table = LanguageTable::Instance();
    for (const char* key : kFactoryDescriptionKeys) {
        const std::string english = table.English(key);
        if (!english.empty() && table.Translate(key) == shown)
            return english;
    }
    return shown;
}
