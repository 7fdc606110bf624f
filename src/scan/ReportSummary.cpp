#include "scan/ReportSummary.h"

#include <algorithm>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"

std::vector<ReportKind> SummarizeReport(const ScanResults& results) {
    std::vector<ReportKind> kinds;
    for (size_t reason = 0; reason < results.Reasons().size(); ++reason) {
        const ScanResults::ReasonTotals& totals = results.TotalsOf(reason);
        // A reason every one of whose files was found again under another has nothing to show.
        if (totals.count == 0)
            continue;
        ReportKind kind;
        kind.reason = reason;
        kind.count = totals.count;
        kind.bytes = totals.bytes;
        kind.tickedCount = totals.tickedCount;
        kind.tickedBytes = totals.tickedBytes;
        kind.tick = totals.tickedCount == 0              ? KindTick::kNone
                    : totals.tickedCount == totals.count ? KindTick::kAll
                                                         : KindTick::kSome;
        kinds.push_back(kind);
    }
    std::stable_sort(kinds.begin(), kinds.end(), [](const ReportKind& a, const ReportKind& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.count > b.count;
    });
    return kinds;
}

std::vector<uint32_t> RowsOfReason(const ScanResults& results, size_t reason) {
    std::vector<uint32_t> rows;
    rows.reserve(reason < results.Reasons().size() ? results.TotalsOf(reason).count : 0);
    for (size_t row = 0; row < results.Count(); ++row)
        if (results.ReasonIndexOf(row) == reason)
            rows.push_back(static_cast<uint32_t>(row));
    return rows;
}

std::string TickedTotalText(const ScanResults& results) {
    return FormatText(
        Translate("_ReportPageTickedTotal"),
        {CountText(results.TickedCount()), SizeText(results.TickedSize()), SizeText(results.TotalSize())});
}
