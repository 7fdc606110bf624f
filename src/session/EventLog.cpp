#include "session/EventLog.h"

#include <cstdio>
#include <mutex>

#include "win/SystemError.h"
#include "win/Text.h"

namespace {

void ReportToApplicationLog(const EventRecord& record) {
    // Without the source's registration (a setup without administrator rights) the event is
    // written all the same; Event Viewer then shows the inserted texts without the message.
    HANDLE source = ::RegisterEventSourceW(nullptr, win::Wide(kEventSource).c_str());
    if (!source)
        return;
    std::vector<std::wstring> texts;
    for (const std::string& text : record.strings)
        texts.push_back(win::Wide(text));
    std::vector<LPCWSTR> pointers;
    for (const std::wstring& text : texts)
        pointers.push_back(text.c_str());
    ::ReportEventW(source, record.type, 0, record.id, nullptr, static_cast<WORD>(pointers.size()), 0,
                   pointers.empty() ? nullptr : pointers.data(), nullptr);
    ::DeregisterEventSource(source);
}

std::mutex& WriterLock() {
    static std::mutex lock;
    return lock;
}

EventWriter& Writer() {
    static EventWriter writer;
    return writer;
}

std::string Count(uint64_t n) {
    return std::to_string(n);
}

}  // namespace

const char* TriggerText(EventTrigger trigger) {
    switch (trigger) {
        case EventTrigger::Wizard:
            return "wizard";
        case EventTrigger::CommandLine:
            return "command line";
        case EventTrigger::Automatic:
            return "automatic";
    }
    return "";
}

EventRecord CleaningEvent(const CleaningJob& job, EventTrigger trigger, const std::string& reason) {
    const CleaningJob::Counts& counts = job.counts;
    EventRecord record;
    const bool ended = job.end == win::JobEnd::Finished && reason.empty();
    if (!ended) {
        record.type = EVENTLOG_ERROR_TYPE;
        record.id = kEventCleaningStopped;
    } else if (!job.everyFileHandled) {
        record.type = EVENTLOG_WARNING_TYPE;
        record.id = kEventCleanedKept;
    } else {
        record.id = kEventCleaned;
    }
    record.strings = {TriggerText(trigger),
                      Count(counts.removed),
                      Count(counts.recycled),
                      Count(counts.kept),
                      Count(counts.failed),
                      Count(counts.bytesFreed),
                      counts.restorePoint.empty() ? "none" : counts.restorePoint};
    if (!ended)
        record.strings.push_back(!reason.empty()                   ? reason
                                 : job.end == win::JobEnd::Stopped ? "stopped"
                                                                   : "failed");
    return record;
}

EventRecord SpaceEnoughEvent(const std::string& drive, double freeGb, int thresholdGb) {
    char free[32];
    std::snprintf(free, sizeof(free), "%.1f", freeGb);
    return {EVENTLOG_INFORMATION_TYPE,
            kEventSpaceEnough,
            {TriggerText(EventTrigger::Automatic), drive, free, std::to_string(thresholdGb)}};
}

EventRecord RestoreEvent(const std::string& point, const RestoreOutcome& outcome) {
    const bool whole = outcome.failed == 0 && outcome.skipped == 0 && !outcome.stopped;
    return {static_cast<WORD>(whole ? EVENTLOG_INFORMATION_TYPE : EVENTLOG_WARNING_TYPE),
            kEventRestored,
            {point, std::to_string(outcome.restored), std::to_string(outcome.failed),
             std::to_string(outcome.skipped), outcome.removed ? "removed" : "kept"}};
}

EventRecord RemovalEvent(const std::string& point, DWORD error) {
    if (error == ERROR_SUCCESS)
        return {EVENTLOG_INFORMATION_TYPE, kEventPointRemoved, {point, "removed"}};
    return {EVENTLOG_ERROR_TYPE, kEventPointRemoved, {point, "not removed: " + win::SystemErrorText(error)}};
}

void SetEventWriter(EventWriter writer) {
    const std::lock_guard<std::mutex> hold(WriterLock());
    Writer() = std::move(writer);
}

void WriteEvent(const EventRecord& record) {
    EventWriter writer;
    {
        const std::lock_guard<std::mutex> hold(WriterLock());
        writer = Writer();
    }
    if (writer)
        writer(record);
    else
        ReportToApplicationLog(record);
}
