#pragma once
// A scan's inputs from the settings the pages edit: the ticked patterns as masks, the scan
// options (the months read by the configuration's one integer parser) and the ticked skip folders.

#include <vector>

#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "scan/ScanWorker.h"

// Sets the job's masks, options, system locations and skip folders (the user's ticked ones, then
// ownFolders, the program's own that every scan leaves out). Roots, results and the worker are
// left alone.
void SetScanInputs(ScanJob& job, const std::vector<JunkPattern>& patterns, const ScanOptionValues& options,
                   const std::vector<SkipFolder>& skipFolders, const std::vector<std::string>& ownFolders);
