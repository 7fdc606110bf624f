#include "session/ProgramPolicy.h"

#include <cstdio>

#include "clean/ActivityLog.h"
#include "clean/LogEntry.h"
#include "core/LanguageTable.h"
#include "session/ScheduledTask.h"

Policy ReadProgramPolicy(const std::string& logDataFolder, const PolicyLookup& lookup) {
    Policy policy = ReadPolicy(lookup, CurrentPathFolders());
    if (!policy.ignored.empty()) {
        LogEntry entry("_LogPolicyHeader");
        for (const std::string& line : policy.ignored)
            entry.Add("_LogPolicyLine", {line});
        ActivityLog log;
        log.SetDataPath(logDataFolder);
        entry.Write(log, "_LogLogCategoryPolicy");
    }
    return policy;
}

bool EnforceAutomaticPolicy(const Policy& policy, const std::string& programPath) {
    if (!policy.automatic)
        return true;
    if (!*policy.automatic) {
        const TaskState task = ReadScheduledTask();
        return !task.exists || RemoveScheduledTask().ok;
    }
    // Registered afresh at each start: the policy may have changed the schedule since, and the Task
    // Scheduler does not give back every part of a task to compare with.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof(today), "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    const TaskXmlInputs inputs{policy.schedule, programPath, ThisUserId(), today,
                               Translate("_AutoCleanTaskDescription")};
    return RegisterScheduledTask(ScheduledTaskXml(inputs)).ok;
}
