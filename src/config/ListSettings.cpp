#include "config/ListSettings.h"

#include "config/ConfigDocument.h"

namespace {

constexpr char kPatternParent[] = "/config/quillmoor/junkfiles/items";
constexpr char kPatternRows[] = "/config/quillmoor/junkfiles/items/item";
constexpr char kFactoryPatternRows[] = "/config/quillmoor/junkfiles/default/item";
constexpr char kSkipParent[] = "/config/quillmoor/SkipFolders/items";
constexpr char kSkipRows[] = "/config/quillmoor/SkipFolders/items/item";
constexpr char kFactorySkipRows[] = "/config/quillmoor/SkipFolders/default/item";

// Opens the file, takes the old rows out of the list parent, lets append add the new ones and
// saves. Without a parent nothing is removed or appended, but the file is still saved.
template <typename Append>
bool RewriteList(const std::string& configPath, const char* parentPath, const char* rowsPath, Append append) {
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return false;
    XmlNode parent = document.SelectSingleNode(parentPath);
    if (parent) {
        for (const XmlNode& row : document.SelectNodes(rowsPath))
            document.RemoveChild(parent.get(), row.get());
        append(document, parent.get());
    }
    return document.Save();
}

const char* CheckedText(bool checked) {
    return checked ? "1" : "0";
}

}  // namespace

std::vector<JunkPattern> ReadJunkPatterns(const std::string& configPath, ValueSet values) {
    std::vector<JunkPattern> rows;
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return rows;
    for (const XmlNode& node :
         document.SelectNodes(values == ValueSet::Current ? kPatternRows : kFactoryPatternRows))
        rows.push_back({document.ReadText(node.get(), "file"), document.ReadText(node.get(), "description"),
                        document.ReadInteger(node.get(), "checked") != 0});
    return rows;
}

std::vector<SkipFolder> ReadSkipFolders(const std::string& configPath, ValueSet values) {
    std::vector<SkipFolder> rows;
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return rows;
    for (const XmlNode& node :
         document.SelectNodes(values == ValueSet::Current ? kSkipRows : kFactorySkipRows))
        rows.push_back(
            {document.ReadText(node.get(), "folder"), document.ReadInteger(node.get(), "checked") != 0});
    return rows;
}

namespace {

// The rows below parentPath read strictly: each row's tick, and for a ticked row its text named
// textName, must be readable; row makes a value of a row from its tick.
template <typename Row, typename MakeRow>
StrictlyRead<std::vector<Row>> ReadRowsStrictly(const std::string& configPath, const char* section,
                                                const char* parentPath, const char* rowsPath,
                                                const char* textName, MakeRow row) {
    StrictlyRead<std::vector<Row>> result;
    ConfigDocument document(configPath);
    if (!document.SelectSingleNode(parentPath)) {
        result.unreadable = std::string(section) + " items";
        return result;
    }
    int number = 0;
    for (const XmlNode& node : document.SelectNodes(rowsPath)) {
        ++number;
        const std::string item = std::string(section) + " item " + std::to_string(number) + " ";
        const std::optional<bool> checked = StrictFlag(document.ReadAttribute(node.get(), "checked"));
        if (!checked) {
            result.unreadable = item + "checked";
            return result;
        }
        const std::string text = document.ReadText(node.get(), textName);
        if (*checked && text.empty()) {
            result.unreadable = item + textName;
            return result;
        }
        result.values.push_back(row(document, node.get(), text, *checked));
    }
    return result;
}

}  // namespace

StrictlyRead<std::vector<JunkPattern>> ReadJunkPatternsStrictly(const std::string& configPath) {
    auto result = ReadRowsStrictly<JunkPattern>(
        configPath, "junkfiles", kPatternParent, kPatternRows, "file",
        [](ConfigDocument& document, IXMLDOMNode* node, const std::string& file, bool checked) {
            return JunkPattern{file, document.ReadText(node, "description"), checked};
        });
    if (!result.unreadable.empty())
        result.values = ReadJunkPatterns(configPath, ValueSet::Factory);
    return result;
}

StrictlyRead<std::vector<SkipFolder>> ReadSkipFoldersStrictly(const std::string& configPath) {
    auto result = ReadRowsStrictly<SkipFolder>(
        configPath, "SkipFolders", kSkipParent, kSkipRows, "folder",
        [](ConfigDocument&, IXMLDOMNode*, const std::string& folder, bool checked) {
            return SkipFolder{folder, checked};
        });
    if (!result.unreadable.empty())
        result.values = ReadSkipFolders(configPath, ValueSet::Factory);
    return result;
}

bool WriteJunkPatterns(const std::string& configPath, const std::vector<JunkPattern>& rows) {
    return RewriteList(configPath, kPatternParent, kPatternRows,
                       [&](ConfigDocument& document, IXMLDOMNode* parent) {
                           for (const JunkPattern& row : rows)
                               document.AppendElement(parent, "item", "",
                                                      {{"file", row.file},
                                                       {"description", row.description},
                                                       {"checked", CheckedText(row.checked)}});
                       });
}

bool WriteSkipFolders(const std::string& configPath, const std::vector<SkipFolder>& rows) {
    return RewriteList(
        configPath, kSkipParent, kSkipRows, [&](ConfigDocument& document, IXMLDOMNode* parent) {
            for (const SkipFolder& row : rows)
                document.AppendElement(parent, "item", "",
                                       {{"folder", row.folder}, {"checked", CheckedText(row.checked)}});
        });
}
