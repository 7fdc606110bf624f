#pragma once
// A scan's inputs from the settings the pages edit: the ticked patterns as masks, the scan
// options (the months read by the configuration's one integer parser), the ticked skip folders,
// and the program's own folders that every scan leaves out.

#include <string>
#include <vector>

#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "scan/ScanWorker.h"

// Sets the job's masks, options, system locations, the user's ticked skip folders (one typed as a
// full path in its true form, any other text as it is) and the program's own folders (ownFolders,
// see OwnSkipFolders). Roots, results and the worker are left alone.
void SetScanInputs(ScanJob& job, const std::vector<JunkPattern>& patterns, const ScanOptionValues& options,
                   const std::vector<SkipFolder>& skipFolders, const std::vector<std::string>& ownFolders);

// The folders of the program's own that every scan leaves out, each in true form (a backup folder
// text through win::TruePathOfText, the program folder through win::TruePathOf): every backup
// folder that is a full path, then the program folder, then the user's data folders outside it
// (DataFolders::OutsideProgram: config.xml's, the factory restore points', the log's). A backup
// folder that is a drive or share
// root stands for the restore points directly under it, never for the whole drive. An empty or
// relative backup folder text is left out: it names no place of its own.
std::vector<std::string> OwnSkipFolders(const std::string& programFolder,
                                        const std::vector<std::string>& backupFolders,
                                        const std::vector<std::string>& dataFolders = {});

// Whether path is one of folders (the program's own, in true form) or lies below one, compared
// as whole folders without regard to case: such a root is never searched.
bool IsOwnFolderOrBelow(const std::string& path, const std::vector<std::string>& folders);
