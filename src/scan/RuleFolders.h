#pragma once
// The places a cleaning rule names, found on the disk: wildcards ('*', '?') may stand in any folder
// of a path ("...\Profiles\*\cache2"), and a detection path may also end in one. A wildcard never
// leads through a link: a folder link is no match.

#include <string>
#include <vector>

// The existing folders that match pattern, a full path (a drive or share path) whose folders may
// hold wildcards; in the order the listings give them. A pattern without wildcards gives itself
// when it is a folder.
std::vector<std::string> MatchingFolders(const std::string& pattern);

// True when anything, file or folder, matches pattern (wildcards in any part, the last included).
bool AnythingMatches(const std::string& pattern);
