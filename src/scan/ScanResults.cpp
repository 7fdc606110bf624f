#include "scan/ScanResults.h"

#include <algorithm>
#include <cstring>

namespace {

// FNV-1a: a fast hash of the path bytes, good enough for an index that is at most half full.
uint32_t HashOf(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

uint64_t SizeOf(uint32_t low, uint32_t high) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

}  // namespace

uint32_t ScanResults::PathStore::Add(std::string_view path) {
    const uint32_t length = static_cast<uint32_t>(path.size());
    if (kBlockSize - used_ < length) {
        blocks_.push_back(std::make_unique<char[]>(kBlockSize));
        used_ = 0;
    }
    const uint32_t position = (static_cast<uint32_t>(blocks_.size() - 1) << kBlockBits) | used_;
    std::memcpy(blocks_.back().get() + used_, path.data(), length);
    used_ += length;
    return position;
}

ScanResults::PathStore::PathStore(const PathStore& other) : used_(other.used_) {
    for (const auto& block : other.blocks_) {
        blocks_.push_back(std::make_unique<char[]>(kBlockSize));
        std::memcpy(blocks_.back().get(), block.get(), kBlockSize);
    }
}

ScanResults::PathStore& ScanResults::PathStore::operator=(const PathStore& other) {
    if (this != &other)
        *this = PathStore(other);
    return *this;
}

void ScanResults::Clear() {
    *this = ScanResults();
}

std::string_view ScanResults::PathOf(const Row& row) const {
    return paths_.At(row.path, row.length);
}

uint16_t ScanResults::ReasonIndex(std::string_view reason) {
    // Few distinct reasons exist (a scan's categories and pattern descriptions): the latest one
    // is usually the one asked for again.
    for (size_t i = reasons_.size(); i-- > 0;)
        if (reasons_[i] == reason)
            return static_cast<uint16_t>(i);
    // The table never grows past what an index holds; an unheard-of flood of texts shares the last.
    if (reasons_.size() > UINT16_MAX)
        return UINT16_MAX;
    reasons_.emplace_back(reason);
    totals_.emplace_back();
    return static_cast<uint16_t>(reasons_.size() - 1);
}

uint32_t ScanResults::FindRow(std::string_view path, uint32_t hash) const {
    if (slots_.empty())
        return UINT32_MAX;
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint32_t entry = slots_[slot];
        if (entry == 0)
            return UINT32_MAX;
        const uint32_t row = entry - 1;
        if (hashes_[row] == hash && PathOf(rows_[row]) == path)
            return row;
    }
}

void ScanResults::ReleaseIndex() {
    std::vector<uint32_t>().swap(slots_);
    std::vector<uint32_t>().swap(hashes_);
}

void ScanResults::GrowIndex() {
    if (hashes_.size() != rows_.size()) {
        // Released: every path's hash is made again.
        hashes_.resize(rows_.size());
        for (uint32_t row = 0; row < rows_.size(); ++row)
            hashes_[row] = HashOf(PathOf(rows_[row]));
    }
    size_t size = std::max<size_t>(1024, slots_.size() * 2);
    while (size < (rows_.size() + 1) * 2)
        size *= 2;
    std::vector<uint32_t> slots(size, 0);
    const size_t mask = slots.size() - 1;
    for (uint32_t row = 0; row < rows_.size(); ++row) {
        size_t slot = hashes_[row] & mask;
        while (slots[slot] != 0)
            slot = (slot + 1) & mask;
        slots[slot] = row + 1;
    }
    slots_ = std::move(slots);
}

void ScanResults::AddOrReplace(std::string_view path, std::string_view reason, const FileStamp& stamp) {
    // A path longer than any Windows path (32,767 UTF-16 units, at most three bytes each) cannot
    // be a found file.
    if (path.size() > 3 * 32767)
        return;
    const uint32_t hash = HashOf(path);
    const uint16_t reasonIndex = ReasonIndex(reason);
    if (hashes_.size() != rows_.size())
        GrowIndex();
    const uint32_t found = FindRow(path, hash);
    if (found != UINT32_MAX) {
        Row& row = rows_[found];
        const uint64_t oldSize = SizeOf(row.sizeLow, row.sizeHigh);
        totalSize_ += stamp.size - oldSize;
        ReasonTotals& before = totals_[row.reason];
        --before.count;
        before.bytes -= oldSize;
        ReasonTotals& after = totals_[reasonIndex];
        ++after.count;
        after.bytes += stamp.size;
        if (ticks_[found]) {
            --before.tickedCount;
            before.tickedBytes -= oldSize;
            ++after.tickedCount;
            after.tickedBytes += stamp.size;
            tickedSize_ += stamp.size - oldSize;
        }
        const uint32_t position = row.path, length = row.length;
        row = MakeRow(position, length, reasonIndex, stamp);
        return;
    }
    if ((rows_.size() + 1) * 2 > slots_.size())
        GrowIndex();
    rows_.push_back(MakeRow(paths_.Add(path), static_cast<uint32_t>(path.size()), reasonIndex, stamp));
    hashes_.push_back(hash);
    ticks_.push_back(true);
    ++ticked_;
    totalSize_ += stamp.size;
    tickedSize_ += stamp.size;
    ReasonTotals& totals = totals_[reasonIndex];
    ++totals.count;
    ++totals.tickedCount;
    totals.bytes += stamp.size;
    totals.tickedBytes += stamp.size;
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    while (slots_[slot] != 0)
        slot = (slot + 1) & mask;
    slots_[slot] = static_cast<uint32_t>(rows_.size());
    // A new path that sorts after the last one keeps the found order the path order.
    if (ordered_ && rows_.size() > 1 && !(PathOf(rows_[rows_.size() - 2]) < path))
        ordered_ = false;
    order_.clear();
}

ScanResults::Row ScanResults::MakeRow(uint32_t position, uint32_t length, uint16_t reason,
                                      const FileStamp& stamp) {
    return {position,
            length,
            static_cast<uint32_t>(stamp.size),
            static_cast<uint32_t>(stamp.size >> 32),
            stamp.lastAccess,
            stamp.lastWrite,
            static_cast<uint32_t>(stamp.fileId),
            static_cast<uint32_t>(stamp.fileId >> 32),
            reason};
}

uint32_t ScanResults::OrderedRow(size_t i) const {
    if (ordered_)
        return static_cast<uint32_t>(i);
    if (order_.size() != rows_.size()) {
        order_.resize(rows_.size());
        for (uint32_t row = 0; row < order_.size(); ++row)
            order_[row] = row;
        // string_view compares through char_traits<char>: bytes as unsigned values.
        std::sort(order_.begin(), order_.end(),
                  [this](uint32_t a, uint32_t b) { return PathOf(rows_[a]) < PathOf(rows_[b]); });
    }
    return order_[i];
}

std::string_view ScanResults::Path(size_t i) const {
    return PathOf(RowAt(i));
}
const std::string& ScanResults::Reason(size_t i) const {
    return reasons_[RowAt(i).reason];
}
uint64_t ScanResults::Size(size_t i) const {
    const Row& row = RowAt(i);
    return SizeOf(row.sizeLow, row.sizeHigh);
}
FILETIME ScanResults::LastAccess(size_t i) const {
    return RowAt(i).lastAccess;
}
FileStamp ScanResults::Stamp(size_t i) const {
    const Row& row = RowAt(i);
    return {SizeOf(row.sizeLow, row.sizeHigh), row.lastAccess, row.lastWrite, SizeOf(row.idLow, row.idHigh)};
}
bool ScanResults::IsTicked(size_t i) const {
    return ticks_[OrderedRow(i)];
}

size_t ScanResults::ReasonIndexOf(size_t i) const {
    return RowAt(i).reason;
}

void ScanResults::SetRowTicked(uint32_t row, bool ticked) {
    if (ticks_[row] == ticked)
        return;
    ticks_[row] = ticked;
    const uint64_t size = SizeOf(rows_[row].sizeLow, rows_[row].sizeHigh);
    ReasonTotals& totals = totals_[rows_[row].reason];
    if (ticked) {
        ++ticked_;
        ++totals.tickedCount;
        totals.tickedBytes += size;
        tickedSize_ += size;
    } else {
        --ticked_;
        --totals.tickedCount;
        totals.tickedBytes -= size;
        tickedSize_ -= size;
    }
}

void ScanResults::SetTicked(size_t i, bool ticked) {
    SetRowTicked(OrderedRow(i), ticked);
}

void ScanResults::SetAllTicked(bool ticked) {
    ticks_.assign(ticks_.size(), ticked);
    ticked_ = ticked ? ticks_.size() : 0;
    tickedSize_ = ticked ? totalSize_ : 0;
    for (ReasonTotals& totals : totals_) {
        totals.tickedCount = ticked ? totals.count : 0;
        totals.tickedBytes = ticked ? totals.bytes : 0;
    }
}

void ScanResults::SetReasonTicked(size_t reason, bool ticked) {
    if (reason >= totals_.size())
        return;
    // The rows in found order: a straight walk over the packed rows, no path order needed.
    const uint16_t wanted = static_cast<uint16_t>(reason);
    for (uint32_t row = 0; row < rows_.size(); ++row)
        if (rows_[row].reason == wanted)
            SetRowTicked(row, ticked);
}

ScanResults ScanResults::TickedRows() const {
    ScanResults ticked;
    for (size_t i = 0; i < Count(); ++i) {
        if (!IsTicked(i))
            continue;
        ticked.AddOrReplace(Path(i), Reason(i), Stamp(i));
    }
    return ticked;
}

TextMap ScanResults::ToTextMap() const {
    TextMap map;
    for (const auto& [path, reason] : *this)
        map.emplace(std::string(path), reason);
    return map;
}
