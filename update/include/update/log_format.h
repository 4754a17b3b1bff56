// The text of the update log: its file name, entry timestamps and the bytes of each value.
//
// The log is a byte file of one byte per character, written as if in text mode: each line
// feed is stored as CR LF. These functions produce exactly the bytes that go to disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tendril {

// "patch_<year>.<month>.<day>.log", numbers in decimal without leading zeros.
std::wstring UpdateLogFileName(int year, int month, int day);

// "hh:mm:ss" with two digits each, then a tab: the start of every entry.
std::wstring FormatLogTimestamp(int hour, int minute, int second);

// Wide text as ISO 8859-1. A unit the file can't store (NUL or above U+00FF) ends this
// value: what came before it stays, the rest of the value is dropped.
void AppendWide(std::string& out, std::wstring_view text);

// Narrow text, bytes unchanged.
void AppendNarrow(std::string& out, std::string_view text);

// A result code: "0x" and eight lowercase hex digits.
void AppendResult(std::string& out, std::int32_t result);

// Decimal digits, no sign or grouping.
void AppendUnsigned(std::string& out, std::uint32_t value);

// "1" or "0".
void AppendFlag(std::string& out, bool flag);

// The end of an entry.
void AppendLineEnd(std::string& out);

}  // namespace tendril
