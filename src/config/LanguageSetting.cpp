#include "config/LanguageSetting.h"

#include "config/ConfigDocument.h"

namespace {

constexpr char kProgramNode[] = "/config/quillmoor";
constexpr char kLanguageNode[] = "/config/quillmoor/Language";

}  // namespace

std::string ReadLanguageChoice(const std::string& configPath) {
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return {};
    XmlNode node = document.SelectSingleNode(kLanguageNode);
    if (!node)
        return {};
    return document.ReadText(node.get(), "tag");
}

bool WriteLanguageChoice(const std::string& configPath, const std::string& tag) {
    ConfigDocument document(configPath);
    XmlNode program = document.IsLoaded() ? document.SelectSingleNode(kProgramNode) : XmlNode();
    if (!program)
        return false;
    if (XmlNode old = document.SelectSingleNode(kLanguageNode))
        document.RemoveChild(program.get(), old.get());
    if (!tag.empty())
        document.AppendElement(program.get(), "Language", "", {{"tag", tag}});
    return document.Save();
}
