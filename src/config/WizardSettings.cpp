#include "config/WizardSettings.h"

WizardSettings ReadWizardSettings(const std::string& configPath) {
    return {ReadJunkPatterns(configPath), ReadScanOptions(configPath), ReadSkipFolders(configPath),
            ReadCleanOptions(configPath)};
}

StrictlyRead<WizardSettings> ReadScanSettingsStrictly(const std::string& configPath) {
    StrictlyRead<WizardSettings> result;
    auto take = [&result](auto read, auto& into) {
        if (!result.unreadable.empty())
            return;
        auto section = std::move(read);
        into = std::move(section.values);
        result.unreadable = std::move(section.unreadable);
    };
    take(ReadJunkPatternsStrictly(configPath), result.values.patterns);
    take(ReadScanOptionsStrictly(configPath), result.values.scanOptions);
    take(ReadSkipFoldersStrictly(configPath), result.values.skipFolders);
    result.values.cleanOptions = ReadCleanOptions(configPath);
    return result;
}
