#pragma once
// One event in the Windows Application log, from the source "Quillmoor", for every cleaning (the
// wizard's, the command line's, the automatic one), every restore and every restore point's
// removal, so that an administrator collects the outcomes of many PCs from their event logs. The
// texts are the program's message table (QuillmoorEvents.mc); an event carries only the inserted
// texts, in the order the message file numbers them. They are plain figures and paths, never
// translated: a collector reads them the same on every PC.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "clean/CleaningEngine.h"
#include "clean/RestoreFiles.h"

inline constexpr char kEventSource[] = "Quillmoor";

// One id per outcome, as QuillmoorEvents.mc numbers them.
enum EventId : DWORD {
    kEventCleaned = 1000,          // every file handled
    kEventCleanedKept = 1001,      // done, with files kept or failed
    kEventCleaningStopped = 1002,  // stopped, or the run could not be done
    kEventSpaceEnough = 1003,      // the automatic cleaning found enough free space
    kEventRestored = 1010,
    kEventPointRemoved = 1011,
};

// Who started a cleaning: its event's first inserted text.
enum class EventTrigger { Wizard, CommandLine, Automatic };
const char* TriggerText(EventTrigger trigger);

struct EventRecord {
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD id = 0;
    std::vector<std::string> strings;
    bool operator==(const EventRecord&) const = default;
};

// The cleaning's event: the trigger, the files deleted, recycled, kept and failed, the bytes freed,
// the restore point ("none" without one) and, for a run that stopped or could not be done, why.
EventRecord CleaningEvent(const CleaningJob& job, EventTrigger trigger, const std::string& reason = {});
// The automatic cleaning that did nothing: the drive, its free GB (one decimal) and the GB set.
EventRecord SpaceEnoughEvent(const std::string& drive, double freeGb, int thresholdGb);
// The restore's event: the point, the files put back, failed, skipped, and whether the point was
// "removed" or "kept".
EventRecord RestoreEvent(const std::string& point, const RestoreOutcome& outcome);
// The removal's event: the point and "removed", or the system's reason it was not (an error event).
EventRecord RemovalEvent(const std::string& point, DWORD error);

// Writes the event through RegisterEventSourceW and ReportEventW, or hands it to the writer a test
// put in (SetEventWriter; an empty one puts the log back). Writing an event never fails a run: an
// event log that refuses it is left at that.
using EventWriter = std::function<void(const EventRecord&)>;
void SetEventWriter(EventWriter writer);
void WriteEvent(const EventRecord& record);
