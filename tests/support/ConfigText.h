#pragma once
// The text of a config.xml for a test: the program's four sections, with the rows and values the
// test gives. Attributes are written as given, in the given order, so a test can also hold values
// the program would never write (checked="yes", a missing attribute or option element).

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace test {

// An element's attributes, name and value, written in this order.
using Attributes = std::vector<std::pair<std::string, std::string>>;

// A row of a list as the program writes it.
Attributes PatternRow(const std::string& checked, const std::string& description, const std::string& file);
Attributes FolderRow(const std::string& checked, const std::string& folder);

// An element below <options>.
struct OptionElement {
    std::string name;
    Attributes attributes;
};
// An option's ticks now and by default.
OptionElement Option(const std::string& name, const std::string& checked, const std::string& byDefault);
// FindFilesHaveNotAccessed, which also holds its months.
OptionElement NotAccessedOption(const std::string& checked, const std::string& byDefault,
                                const std::string& month, const std::string& monthDefault);
// The eleven scan options in the program's order, each unticked now and by default, with 12
// months; an element in changes takes the place of the option of its name.
std::vector<OptionElement> ScanOptions(const std::vector<OptionElement>& changes = {});

Attributes CleanMode(const std::string& index, const std::string& defaultIndex);
Attributes Backup(const std::string& checked, const std::string& byDefault, const std::string& folder,
                  const std::string& defaultFolder);

struct ConfigParts {
    std::vector<Attributes> patterns;         // junkfiles/items
    std::vector<Attributes> factoryPatterns;  // junkfiles/default
    std::vector<OptionElement> options = ScanOptions();
    std::vector<Attributes> skipFolders;         // SkipFolders/items
    std::vector<Attributes> factorySkipFolders;  // SkipFolders/default
    Attributes cleanMode = CleanMode("0", "0");
    Attributes backup = Backup("1", "1", "%ModulePath%\\Backup", "%ModulePath%\\Backup");
    // CleanOptions/RemoveRestorePoints, which files written before the restore points expired lack.
    std::optional<Attributes> removeRestorePoints;
};

std::string ConfigText(const ConfigParts& parts);

}  // namespace test
