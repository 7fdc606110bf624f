#pragma once
// The folders a cleaning rule marks to go once emptied ("REMOVESELF"): after the cleaning, each
// folder at or below such a folder that held one of the rule's removed files, or a folder that
// did, is removed when it holds nothing any more, deepest first.

#include <string>
#include <vector>

// Removes the folders between root (included) and each of removedFiles that lies below it, deepest
// first, each only when it is empty now: a folder that still holds anything stays, and so does
// every folder no removed file was in and every folder of stay (compared without regard to case;
// the protected places and the chosen roots). Each folder is removed through a handle checked to
// be the real folder at its path, no link itself and none on the way, so a folder swapped for a
// link is left. The number of folders removed.
int RemoveEmptiedFolders(const std::string& root, const std::vector<std::string>& removedFiles,
                         const std::vector<std::string>& stay = {});
