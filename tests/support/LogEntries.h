#pragma once
// The activity log as the component stored it, read back through the component itself.

#include <string>
#include <vector>

namespace test {

struct LogEntry {
    std::string subcategory, text;
};

// The entries under a data folder, newest first; none when the component cannot be created.
std::vector<LogEntry> ReadLogEntries(const std::string& dataFolder);

}  // namespace test
