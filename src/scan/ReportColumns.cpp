#include "scan/ReportColumns.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "core/LocaleText.h"
#include "win/Fold.h"

namespace {

std::string_view Decimal(uint64_t value, std::string& scratch) {
    scratch.resize(20);
    const auto end = std::to_chars(scratch.data(), scratch.data() + scratch.size(), value).ptr;
    return {scratch.data(), static_cast<size_t>(end - scratch.data())};
}

// The list's kilobytes with the decimal separator and grouping of the language spoken.
std::string Kilobytes(double kilobytes) {
    return NumberText(kilobytes, 2);
}

// The size as the list shows it, in hundredths of a kilobyte rounded as "%.2lf" rounds (to the
// nearest, a tie to even), so sizes that read the same sort as equals.
uint64_t ShownHundredthsOfKilobytes(uint64_t bytes) {
    const uint64_t scaled = bytes * 25;  // bytes * 100 / 1024 == bytes * 25 / 256
    const uint64_t whole = scaled >> 8, rest = scaled & 255;
    return whole + (rest > 128 || (rest == 128 && (whole & 1)));
}

// Each row's folder, by the folder's rank among the folders compared by their folded characters
// (win::CompareFolded); folderCount is set to how many there are. Folders are ranked once each,
// so a sort of a million rows compares short names and numbers, not whole paths.
std::vector<uint32_t> FolderRanks(const ScanResults& results, size_t& folderCount) {
    const size_t count = results.Count();
    // Each row's folder, by an id in the order the folders first come.
    std::vector<uint32_t> folderOf(count);
    std::vector<std::string_view> folders;
    {
        std::unordered_map<std::string_view, uint32_t> folderIds;
        for (size_t row = 0; row < count; ++row) {
            const std::string_view path = results.Path(row);
            const std::string_view folder = path.substr(0, path.find_last_of('\\') + 1);
            // Rows in path order keep a folder's files together: the last folder is tried first.
            if (row > 0 && folders[folderOf[row - 1]] == folder) {
                folderOf[row] = folderOf[row - 1];
                continue;
            }
            const auto [at, added] = folderIds.try_emplace(folder, static_cast<uint32_t>(folders.size()));
            if (added)
                folders.push_back(folder);
            folderOf[row] = at->second;
        }
    }
    // The folders side by side, in the order of their ids (nearly their sorted order), so the
    // sort reads them from one place rather than from all over the paths.
    size_t length = 0;
    for (std::string_view folder : folders)
        length += folder.size();
    std::string together;
    together.reserve(length);
    for (std::string_view folder : folders)
        together += folder;
    for (size_t id = 0, at = 0; id < folders.size(); at += folders[id++].size())
        folders[id] = std::string_view(together).substr(at, folders[id].size());
    std::vector<uint32_t> byRank(folders.size());
    for (uint32_t id = 0; id < byRank.size(); ++id)
        byRank[id] = id;
    std::stable_sort(byRank.begin(), byRank.end(),
                     [&](uint32_t a, uint32_t b) { return win::CompareFolded(folders[a], folders[b]) < 0; });
    std::vector<uint32_t> rankOf(folders.size());
    for (uint32_t rank = 0; rank < byRank.size(); ++rank)
        rankOf[byRank[rank]] = rank;
    for (uint32_t& folder : folderOf)
        folder = rankOf[folder];
    folderCount = folders.size();
    return folderOf;
}

// Each row's place when the paths are sorted by folder, then by file name, both compared by their
// folded characters; rows of equal paths share a place. The files of a folder stay together,
// before those of its subfolders.
std::vector<uint32_t> PathRanks(const ScanResults& results) {
    const size_t count = results.Count();
    size_t folderCount = 0;
    std::vector<uint32_t> folderOf = FolderRanks(results, folderCount);
    // The rows counted out by folder (a counting sort), in path order within a folder.
    std::vector<uint32_t> start(folderCount + 1, 0);
    for (uint32_t rank : folderOf)
        ++start[rank + 1];
    for (size_t rank = 1; rank < start.size(); ++rank)
        start[rank] += start[rank - 1];
    std::vector<uint32_t> order(count);
    {
        std::vector<uint32_t> next(start.begin(), start.end() - 1);
        for (uint32_t row = 0; row < count; ++row)
            order[next[folderOf[row]]++] = row;
    }
    folderOf = std::vector<uint32_t>();  // freed before the ranks take as much again
    // Within a folder, by file name; rows in path order are nearly so already.
    std::vector<uint32_t> ranks(count);
    std::vector<std::pair<std::string_view, uint32_t>> names;
    size_t rank = 0;
    for (size_t folder = 0; folder + 1 < start.size(); ++folder) {
        names.clear();
        for (uint32_t i = start[folder]; i < start[folder + 1]; ++i) {
            const std::string_view path = results.Path(order[i]);
            names.emplace_back(path.substr(path.find_last_of('\\') + 1), order[i]);
        }
        std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
            return win::CompareFolded(a.first, b.first) < 0;
        });
        for (size_t i = 0; i < names.size(); ++i) {
            if (i > 0 && win::CompareFolded(names[i - 1].first, names[i].first) != 0)
                ++rank;
            ranks[names[i].second] = static_cast<uint32_t>(rank);
        }
        ++rank;
    }
    return ranks;
}

// Each row's place when the reasons are sorted without regard to case; a scan has few distinct
// reasons, so each is ranked once.
std::vector<uint32_t> ReasonRanks(const ScanResults& results) {
    std::vector<const std::string*> distinct;
    std::unordered_map<const std::string*, uint32_t> index;
    std::vector<uint32_t> reasonOf(results.Count());
    for (size_t row = 0; row < reasonOf.size(); ++row) {
        const std::string* reason = &results.Reason(row);
        const auto [at, added] = index.try_emplace(reason, static_cast<uint32_t>(distinct.size()));
        if (added)
            distinct.push_back(reason);
        reasonOf[row] = at->second;
    }
    std::vector<uint32_t> order(distinct.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return win::CompareFolded(*distinct[a], *distinct[b]) < 0; });
    std::vector<uint32_t> rank(distinct.size());
    for (size_t i = 0, r = 0; i < order.size(); ++i) {
        if (i > 0 && win::CompareFolded(*distinct[order[i - 1]], *distinct[order[i]]) != 0)
            ++r;
        rank[order[i]] = static_cast<uint32_t>(r);
    }
    for (uint32_t& key : reasonOf)
        key = rank[key];
    return reasonOf;
}

std::vector<uint64_t> SizeKeys(const ScanResults& results) {
    std::vector<uint64_t> keys(results.Count());
    for (size_t row = 0; row < keys.size(); ++row)
        keys[row] = ShownHundredthsOfKilobytes(results.Size(row));
    return keys;
}

const std::vector<std::string>& DistinctReasons(const ScanResults& results) {
    return results.Reasons();
}

}  // namespace

std::string_view IsoUtcTime(const FILETIME& utc, std::string& scratch) {
    const uint64_t ticks = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    // FileTimeToSystemTime takes no time from 2^63 on; a zero time is "never".
    if (ticks == 0 || ticks >> 63)
        return {};
    const uint64_t seconds = ticks / 10'000'000;
    const int64_t days = static_cast<int64_t>(seconds / 86'400);
    const unsigned secondOfDay = static_cast<unsigned>(seconds % 86'400);
    // The civil date of a day count, by the proleptic Gregorian calendar Windows uses, counted in
    // 400-year eras from 1 March 0000 so that a leap day ends its year (the file time counts from
    // 1 January 1601, 584,694 days after that day).
    const int64_t z = days + 584'694;
    const int64_t era = z / 146'097;
    const int64_t dayOfEra = z - era * 146'097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1'460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = static_cast<unsigned>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const unsigned month = static_cast<unsigned>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const unsigned year = static_cast<unsigned>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    // Years past 9999 (up to 30828, where file times end) take a fifth digit, as "%04u" gives them.
    const size_t yearDigits = year > 9999 ? 5 : 4;
    scratch.assign(yearDigits, '0');
    scratch += "-00-00T00:00:00Z";
    const auto put = [&scratch](size_t end, unsigned value) {
        for (size_t at = end; at-- > 0 && scratch[at] == '0'; value /= 10)
            scratch[at] = static_cast<char>('0' + value % 10);
    };
    put(yearDigits, year);
    put(yearDigits + 3, month);
    put(yearDigits + 6, day);
    put(yearDigits + 9, secondOfDay / 3600);
    put(yearDigits + 12, secondOfDay / 60 % 60);
    put(yearDigits + 15, secondOfDay % 60);
    return scratch;
}

const std::vector<ReportColumn>& ReportColumns() {
    static const std::vector<ReportColumn> columns = {
        {.titleKey = "_ReportPageListColumnFileName",
         .width = 350,
         .alignment = ColumnAlignment::kLeft,
         .text = [](const ScanResults& r, size_t row) { return std::string(r.Path(row)); },
         .isPath = true,
         .sortKeys = [](const ScanResults& r) { return ReportSortKeys(PathRanks(r)); },
         .csvTitle = "Path",
         .csvTitleKey = "_CsvColumnPath",
         .csvText = [](const ScanResults& r, size_t row, const CsvForm&,
                       std::string&) { return r.Path(row); }},
        {.titleKey = "_ReportPageListColumnFileSize",
         .width = 100,
         .alignment = ColumnAlignment::kRight,
         .text = [](const ScanResults& r, size_t row) { return Kilobytes(BytesToKilobytes(r.Size(row))); },
         .sortKeys = [](const ScanResults& r) { return ReportSortKeys(SizeKeys(r)); },
         .csvTitle = "Size (bytes)",
         .csvTitleKey = "_CsvColumnSize",
         .csvText = [](const ScanResults& r, size_t row, const CsvForm&,
                       std::string& scratch) { return Decimal(r.Size(row), scratch); }},
        // At least 200 pixels, and as wide as the longest reason of each fill: no reason is cut.
        {.titleKey = "_ReportPageStateDescription",
         .width = 200,
         .alignment = ColumnAlignment::kLeft,
         .text = [](const ScanResults& r, size_t row) { return r.Reason(row); },
         .sortKeys = [](const ScanResults& r) { return ReportSortKeys(ReasonRanks(r)); },
         .widestTexts = DistinctReasons,
         .csvTitle = "Reason",
         .csvTitleKey = "_CsvColumnReason",
         .csvText = [](const ScanResults& r, size_t row, const CsvForm&,
                       std::string&) { return std::string_view(r.Reason(row)); }},
        // The CSV's alone: the list has no access time, and shows the tick as a check box.
        {.csvTitle = "Last access (UTC)",
         .csvTitleKey = "_CsvColumnLastAccess",
         .csvText = [](const ScanResults& r, size_t row, const CsvForm&,
                       std::string& scratch) { return IsoUtcTime(r.LastAccess(row), scratch); }},
        {.csvTitle = "Ticked",
         .csvTitleKey = "_CsvColumnTicked",
         .csvText = [](const ScanResults& r, size_t row, const CsvForm& form,
                       std::string&) { return std::string_view(r.IsTicked(row) ? form.yes : form.no); }},
    };
    return columns;
}

const std::vector<const ReportColumn*>& ListedReportColumns() {
    static const std::vector<const ReportColumn*> listed = [] {
        std::vector<const ReportColumn*> columns;
        for (const ReportColumn& column : ReportColumns()) {
            if (column.titleKey)
                columns.push_back(&column);
        }
        return columns;
    }();
    return listed;
}

void SortReportRows(const ScanResults& results, const ReportColumn& column, bool descending,
                    std::vector<uint32_t>& rows) {
    if (!column.sortKeys || rows.empty())
        return;
    const ReportSortKeys keys = column.sortKeys(results);
    std::visit(
        [&](const auto& key) {
            if (descending)
                std::stable_sort(rows.begin(), rows.end(),
                                 [&](uint32_t a, uint32_t b) { return key[b] < key[a]; });
            else
                std::stable_sort(rows.begin(), rows.end(),
                                 [&](uint32_t a, uint32_t b) { return key[a] < key[b]; });
        },
        keys);
}
