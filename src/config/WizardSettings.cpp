#include "config/WizardSettings.h"

WizardSettings ReadWizardSettings(const std::string& configPath) {
    return {ReadJunkPatterns(configPath), ReadScanOptions(configPath), ReadSkipFolders(configPath),
            ReadCleanOptions(configPath)};
}
