#pragma once
// What the wizard's settings pages edit, as typed values: the junk-file patterns, the scan
// options, the skip folders and the clean options. The frame owns one; each page loads its part
// from config.xml into it, shows it, stores its controls back into it, and writes it to
// config.xml when its window goes. Scans and cleanings start from these values, never from a
// page's controls.

#include <string>
#include <vector>

#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"

struct WizardSettings {
    std::vector<JunkPattern> patterns;
    ScanOptionValues scanOptions;
    std::vector<SkipFolder> skipFolders;
    CleanOptionValues cleanOptions;
};

// The current values of every section of config.xml; what cannot be read reads as empty.
WizardSettings ReadWizardSettings(const std::string& configPath);

// What a scan reads (the patterns, the scan options and the skip folders) read strictly, the
// clean options leniently; unreadable names the first damaged setting (see StrictlyRead).
StrictlyRead<WizardSettings> ReadScanSettingsStrictly(const std::string& configPath);
