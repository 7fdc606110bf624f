#include "support/ConfigText.h"

namespace test {

namespace {

std::string Escaped(const std::string& value) {
    std::string text;
    for (char c : value) {
        switch (c) {
            case '&':
                text += "&amp;";
                break;
            case '<':
                text += "&lt;";
                break;
            case '>':
                text += "&gt;";
                break;
            case '"':
                text += "&quot;";
                break;
            default:
                text += c;
        }
    }
    return text;
}

std::string Element(const std::string& indent, const std::string& name, const Attributes& attributes) {
    std::string text = indent + "<" + name;
    for (const auto& [attribute, value] : attributes)
        text += " " + attribute + "=\"" + Escaped(value) + "\"";
    return text + "/>\n";
}

// <items> or <default> of a list: empty, or one <item> per row.
std::string List(const std::string& name, const std::vector<Attributes>& rows) {
    if (rows.empty())
        return "    <" + name + "/>\n";
    std::string text = "    <" + name + ">\n";
    for (const Attributes& row : rows)
        text += Element("      ", "item", row);
    return text + "    </" + name + ">\n";
}

}  // namespace

Attributes PatternRow(const std::string& checked, const std::string& description, const std::string& file) {
    return {{"checked", checked}, {"description", description}, {"file", file}};
}

Attributes FolderRow(const std::string& checked, const std::string& folder) {
    return {{"checked", checked}, {"folder", folder}};
}

OptionElement Option(const std::string& name, const std::string& checked, const std::string& byDefault) {
    return {name, {{"checked", checked}, {"default", byDefault}}};
}

OptionElement NotAccessedOption(const std::string& checked, const std::string& byDefault,
                                const std::string& month, const std::string& monthDefault) {
    return {"FindFilesHaveNotAccessed",
            {{"checked", checked}, {"default", byDefault}, {"month", month}, {"monthdefault", monthDefault}}};
}

std::vector<OptionElement> ScanOptions(const std::vector<OptionElement>& changes) {
    std::vector<OptionElement> options = {NotAccessedOption("0", "0", "12", "12")};
    for (const char* name :
         {"SkipReadOnlyFiles", "SkipSystemFiles", "SkipHiddenFiles", "FindZeroLengthFiles",
          "FindInvalidShortcuts", "FindTemp", "FindIETemp", "FindRecent", "FindIEHistory", "FindIECookies"})
        options.push_back(Option(name, "0", "0"));
    for (const OptionElement& change : changes) {
        bool replaced = false;
        for (OptionElement& option : options) {
            if (option.name == change.name) {
                option = change;
                replaced = true;
            }
        }
        if (!replaced)
            options.push_back(change);
    }
    return options;
}

Attributes CleanMode(const std::string& index, const std::string& defaultIndex) {
    return {{"defaultindex", defaultIndex}, {"index", index}};
}

Attributes Backup(const std::string& checked, const std::string& byDefault, const std::string& folder,
                  const std::string& defaultFolder) {
    return {{"BackupDirectory", folder},
            {"DefaultBackupDirectory", defaultFolder},
            {"checked", checked},
            {"default", byDefault}};
}

std::string ConfigText(const ConfigParts& parts) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config><quillmoor>\n";
    text += "  <junkfiles>\n" + List("items", parts.patterns) + List("default", parts.factoryPatterns) +
            "  </junkfiles>\n";
    text += "  <options>\n";
    for (const OptionElement& option : parts.options)
        text += Element("    ", option.name, option.attributes);
    text += "  </options>\n";
    text += "  <SkipFolders>\n" + List("items", parts.skipFolders) +
            List("default", parts.factorySkipFolders) + "  </SkipFolders>\n";
    text += "  <CleanOptions>\n" + Element("    ", "CleanMode", parts.cleanMode) +
            Element("    ", "Backup", parts.backup);
    if (parts.removeRestorePoints)
        text += Element("    ", "RemoveRestorePoints", *parts.removeRestorePoints);
    text += "  </CleanOptions>\n";
    return text + "</quillmoor></config>\n";
}

}  // namespace test
