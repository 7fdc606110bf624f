#include "config/ScheduleSettings.h"

#include <algorithm>

#include "config/ConfigDocument.h"

namespace {

constexpr char kProgramNode[] = "/config/quillmoor";
constexpr char kScheduleNode[] = "/config/quillmoor/Schedule";
constexpr char kFolderRows[] = "/config/quillmoor/Schedule/Folder";

// The stored names of the kinds: words, so that the file reads plainly.
constexpr const char* kKindNames[] = {"day", "week", "month", "signin"};

int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

}  // namespace

ScheduleValues ReadScheduleSettings(const std::string& configPath) {
    ScheduleValues values;
    ConfigDocument document(configPath);
    XmlNode node = document.IsLoaded() ? document.SelectSingleNode(kScheduleNode) : XmlNode();
    if (!node)
        return values;
    values.enabled = document.ReadText(node.get(), "enabled") == "1";
    const std::string kind = document.ReadText(node.get(), "every");
    for (size_t i = 0; i < std::size(kKindNames); ++i)
        if (kind == kKindNames[i])
            values.kind = static_cast<ScheduleKind>(i);
    values.dayOfWeek = Clamp(document.ReadInteger(node.get(), "weekday"), 0, 6);
    values.dayOfMonth = Clamp(document.ReadInteger(node.get(), "day"), 1, 28);
    values.hour = Clamp(document.ReadInteger(node.get(), "hour"), 0, 23);
    values.minute = Clamp(document.ReadInteger(node.get(), "minute"), 0, 59);
    values.freeSpaceBelowGb = Clamp(document.ReadInteger(node.get(), "freeSpaceBelowGb"), 0, 1000000);
    for (const XmlNode& row : document.SelectNodes(kFolderRows)) {
        std::string path = document.ReadText(row.get(), "path");
        if (!path.empty())
            values.folders.push_back(std::move(path));
    }
    return values;
}

bool WriteScheduleSettings(const std::string& configPath, const ScheduleValues& values) {
    ConfigDocument document(configPath);
    XmlNode program = document.IsLoaded() ? document.SelectSingleNode(kProgramNode) : XmlNode();
    if (!program)
        return false;
    if (XmlNode old = document.SelectSingleNode(kScheduleNode))
        document.RemoveChild(program.get(), old.get());
    document.AppendElement(program.get(), "Schedule", "",
                           {{"day", std::to_string(values.dayOfMonth)},
                            {"enabled", values.enabled ? "1" : "0"},
                            {"every", kKindNames[static_cast<size_t>(values.kind)]},
                            {"freeSpaceBelowGb", std::to_string(values.freeSpaceBelowGb)},
                            {"hour", std::to_string(values.hour)},
                            {"minute", std::to_string(values.minute)},
                            {"weekday", std::to_string(values.dayOfWeek)}});
    XmlNode schedule = document.SelectSingleNode(kScheduleNode);
    for (const std::string& folder : values.folders)
        document.AppendElement(schedule.get(), "Folder", "", {{"path", folder}});
    return document.Save();
}
