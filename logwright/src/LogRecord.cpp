#include "LogRecord.h"

#include <array>
#include <cstdio>

#include "win/Text.h"

namespace logwright {

namespace {

constexpr uint32_t kMaxPayload = 256u * 1024 * 1024;

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t GetU32(std::string_view bytes, size_t at) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(k)]);
    return v;
}

uint16_t GetU16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

void PutText(std::string& out, const std::wstring& text) {
    std::string bytes = win::ToWtf8(text);
    PutU32(out, static_cast<uint32_t>(bytes.size()));
    out += bytes;
}

bool GetText(std::string_view payload, size_t& at, std::wstring& text) {
    if (payload.size() - at < 4)
        return false;
    uint32_t length = GetU32(payload, at);
    at += 4;
    if (payload.size() - at < length)
        return false;
    if (!win::FromWtf8(payload.substr(at, length), text))
        return false;
    at += length;
    return true;
}

bool PlausibleTime(const SYSTEMTIME& t) {
    return t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 && t.wDay <= 31 && t.wHour < 24 && t.wMinute < 60 &&
           t.wSecond < 60 && t.wMilliseconds < 1000;
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[(c ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string FrameRecord(std::string_view payload) {
    std::string out(kRecordMagic, sizeof kRecordMagic);
    PutU32(out, static_cast<uint32_t>(payload.size()));
    PutU32(out, Crc32(payload));
    out += payload;
    return out;
}

std::string EncodePayload(const LogEntry& entry) {
    std::string out;
    const SYSTEMTIME& t = entry.time;
    for (WORD v : {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds})
        PutU16(out, v);
    for (const std::wstring* text :
         {&entry.type, &entry.category, &entry.subcategory, &entry.source, &entry.text})
        PutText(out, *text);
    return out;
}

bool DecodePayload(std::string_view payload, LogEntry& entry) {
    if (payload.size() < 14)
        return false;
    SYSTEMTIME& t = entry.time;
    t = SYSTEMTIME{};
    WORD* fields[] = {&t.wYear, &t.wMonth, &t.wDay, &t.wHour, &t.wMinute, &t.wSecond, &t.wMilliseconds};
    size_t at = 0;
    for (WORD* field : fields) {
        *field = GetU16(payload, at);
        at += 2;
    }
    if (!PlausibleTime(t))
        return false;
    for (std::wstring* text : {&entry.type, &entry.category, &entry.subcategory, &entry.source, &entry.text})
        if (!GetText(payload, at, *text))
            return false;
    return at == payload.size();
}

std::string EncodeRecord(const LogEntry& entry) {
    return FrameRecord(EncodePayload(entry));
}

std::vector<LogEntry> DecodeRecords(std::string_view bytes) {
    std::vector<LogEntry> entries;
    const std::string_view magic(kRecordMagic, sizeof kRecordMagic);
    size_t at = bytes.find(magic);
    while (at != std::string_view::npos) {
        size_t remaining = bytes.size() - at;
        if (remaining >= kRecordHeaderSize) {
            uint32_t length = GetU32(bytes, at + 4);
            uint32_t crc = GetU32(bytes, at + 8);
            if (length <= kMaxPayload && remaining - kRecordHeaderSize >= length) {
                std::string_view payload = bytes.substr(at + kRecordHeaderSize, length);
                LogEntry entry;
                if (Crc32(payload) == crc && DecodePayload(payload, entry)) {
                    entries.push_back(std::move(entry));
                    at = bytes.find(magic, at + kRecordHeaderSize + length);
                    continue;
                }
            }
        }
        // Damaged or torn: look for the next record after this one's start.
        at = bytes.find(magic, at + 1);
    }
    return entries;
}

std::wstring FormatTime(const SYSTEMTIME& t) {
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return text;
}

}  // namespace logwright
