#include "app/CommandLine.h"

#include "core/LanguageTable.h"
#include "win/TextParts.h"

namespace {

using Mode = CommandLine::Mode;

const CommandSwitch* SwitchNamed(const std::string& argument) {
    if (argument.empty() || (argument[0] != '/' && argument[0] != '-'))
        return nullptr;
    for (const CommandSwitch& candidate : CommandSwitches())
        if (win::SameAscii(std::string_view(argument).substr(1), candidate.name))
            return &candidate;
    return nullptr;
}

// A folder or file name never starts with a switch character.
bool IsName(const std::string& argument) {
    return !argument.empty() && argument[0] != '/';
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments)
        if (const CommandSwitch* named = SwitchNamed(argument); named && !named->opensWindow)
            line.noWindow = true;
    if (arguments.empty())
        return line;
    const CommandSwitch* chosen = SwitchNamed(arguments[0]);
    auto invalid = [&line] {
        line.mode = Mode::Invalid;
        line.file.clear();
        line.folders.clear();
        return line;
    };
    if (!chosen)
        return invalid();
    size_t next = 1;
    if (chosen->arguments == SwitchArguments::FileThenFolders) {
        if (arguments.size() < 2 || !IsName(arguments[1]))
            return invalid();
        line.file = arguments[1];
        next = 2;
    }
    if (chosen->arguments == SwitchArguments::None && arguments.size() > next)
        return invalid();
    for (size_t i = next; i < arguments.size(); ++i) {
        // "/scheduled" marks an "/auto" run as the automatic cleaning's.
        if (chosen->mode == Mode::Auto && arguments[i].size() > 1 && arguments[i][0] == '/' &&
            win::SameAscii(std::string_view(arguments[i]).substr(1), "scheduled")) {
            line.scheduled = true;
            continue;
        }
        if (!IsName(arguments[i]))
            return invalid();
        line.folders.push_back(arguments[i]);
    }
    line.mode = chosen->mode;
    line.chosen = chosen;
    return line;
}

std::string UsageText() {
    // Built by appending: each text is the translator's, the layout is the table's.
    std::string synopsis = "Quillmoor [";
    std::string paragraphs;
    for (const CommandSwitch& option : CommandSwitches()) {
        if (&option != CommandSwitches().data())
            synopsis += " | ";
        synopsis.append("/").append(option.name);
        if (option.arguments == SwitchArguments::FileThenFolders)
            synopsis.append(" ").append(Translate("_CommandLineFileArgument"));
        if (option.arguments != SwitchArguments::None)
            synopsis.append(" [").append(Translate("_CommandLineFolderArgument")).append(" ...]");
        if (option.usageKey)
            paragraphs.append("\n\n/")
                .append(option.name)
                .append("  ")
                .append(Translate(option.usageKey, true));
    }
    synopsis.append("]\n\n").append(Translate("_CommandLineWithoutArguments", true)).append(paragraphs);
    return synopsis.append("\n\n").append(Translate("_CommandLineExitCodes", true));
}
