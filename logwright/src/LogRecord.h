#pragma once
// One log entry and its framing in the log file.
//
// A record is: the four bytes "LWR1", the payload length (32 bits, little-endian), the CRC-32 of
// the payload, then the payload: the local time as seven 16-bit fields (year, month, day, hour,
// minute, second, milliseconds) and five texts (type, category, subcategory, source, text), each a
// 32-bit byte count followed by the text in WTF-8. A record whose frame, checksum or payload does not
// hold together is skipped, and reading resumes at the next "LWR1" after its start, so a torn or
// damaged record never hides the ones after it.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace logwright {

struct LogEntry {
    SYSTEMTIME time{};  // local time; the day of the week is not kept
    std::wstring type;
    std::wstring category;
    std::wstring subcategory;
    std::wstring source;
    std::wstring text;
};

inline constexpr char kRecordMagic[4] = {'L', 'W', 'R', '1'};
inline constexpr size_t kRecordHeaderSize = 12;

uint32_t Crc32(std::string_view bytes);
// Puts the frame (magic, length, checksum) around a payload.
std::string FrameRecord(std::string_view payload);
std::string EncodePayload(const LogEntry& entry);
bool DecodePayload(std::string_view payload, LogEntry& entry);
std::string EncodeRecord(const LogEntry& entry);
// Every intact record of a log file's bytes, in file order.
std::vector<LogEntry> DecodeRecords(std::string_view bytes);

// "YYYY-MM-DD hh:mm:ss".
std::wstring FormatTime(const SYSTEMTIME& time);

}  // namespace logwright
