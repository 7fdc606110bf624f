#include "app/CommandLine.h"

#include <string_view>

namespace {

// Switch names are ASCII: compared letter by letter without regard to case.
bool IsSwitch(const std::string& argument, std::string_view name) {
    if (argument.size() != name.size() + 1 || (argument[0] != '/' && argument[0] != '-'))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = argument[i + 1];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i])
            return false;
    }
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments)
        if (IsSwitch(argument, "auto") || IsSwitch(argument, "report") || IsSwitch(argument, "rules"))
            line.unattended = true;
    if (arguments.empty())
        return line;
    const std::string& first = arguments[0];
    size_t next = 1;
    if (IsSwitch(first, "?")) {
        line.mode = arguments.size() == 1 ? CommandLine::Mode::Usage : CommandLine::Mode::Invalid;
        return line;
    }
    if (IsSwitch(first, "rules")) {
        line.mode = arguments.size() == 1 ? CommandLine::Mode::Rules : CommandLine::Mode::Invalid;
        return line;
    }
    if (IsSwitch(first, "auto")) {
        line.mode = CommandLine::Mode::Auto;
    } else if (IsSwitch(first, "report")) {
        if (arguments.size() < 2 || arguments[1].empty() || arguments[1][0] == '/') {
            line.mode = CommandLine::Mode::Invalid;
            return line;
        }
        line.mode = CommandLine::Mode::Report;
        line.reportFile = arguments[1];
        next = 2;
    } else {
        line.mode = CommandLine::Mode::Invalid;
        return line;
    }
    for (size_t i = next; i < arguments.size(); ++i) {
        if (line.mode == CommandLine::Mode::Auto && IsSwitch(arguments[i], "scheduled")) {
            line.scheduled = true;
            continue;
        }
        // A folder never starts with a switch character: a misplaced switch is an error, not a folder.
        if (arguments[i].empty() || arguments[i][0] == '/') {
            line.mode = CommandLine::Mode::Invalid;
            line.folders.clear();
            return line;
        }
        line.folders.push_back(arguments[i]);
    }
    return line;
}
