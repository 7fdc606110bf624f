#pragma once
// The report at a glance: one row per kind of junk (a reason of the results), largest first, with
// its count, size and tick, and the ticked total. Everything here reads the totals the results keep
// as they fill, so building the summary costs a row per kind, never a walk over the files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/ScanResults.h"

// A kind's tick as its check box shows it: grey when only some of its files are ticked.
enum class KindTick { kNone, kSome, kAll };

struct ReportKind {
    size_t reason = 0;  // index into the results' Reasons()
    size_t count = 0;
    uint64_t bytes = 0;
    size_t tickedCount = 0;
    uint64_t tickedBytes = 0;
    KindTick tick = KindTick::kNone;
};

// The kinds that have files, the largest first (equal sizes by count, then in the order they were
// first found).
std::vector<ReportKind> SummarizeReport(const ScanResults& results);

// The results' rows (path order) of one reason, in path order: what the list shows when a kind is
// chosen.
std::vector<uint32_t> RowsOfReason(const ScanResults& results, size_t reason);

// "Ticked files: 1,234, 1.52 GB of 1.80 GB".
std::string TickedTotalText(const ScanResults& results);
