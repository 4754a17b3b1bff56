#include "update/log_format.h"

#include <charconv>
#include <cstddef>
#include <iterator>

namespace tendril {
namespace {

constexpr char kLineFeed = '\n';

// Text mode stores a line feed as CR LF; other bytes pass through.
void AppendTextByte(std::string& out, char byte) {
    if (byte == kLineFeed) {
        out.push_back('\r');
    }
    out.push_back(byte);
}

void AppendTwoDigits(std::wstring& out, int value) {
    out.push_back(static_cast<wchar_t>(L'0' + value / 10 % 10));
    out.push_back(static_cast<wchar_t>(L'0' + value % 10));
}

}  // namespace

std::wstring UpdateLogFileName(int year, int month, int day) {
    return L"patch_" + std::to_wstring(year) + L'.' + std::to_wstring(month) + L'.' +
           std::to_wstring(day) + L".log";
}

std::wstring FormatLogTimestamp(int hour, int minute, int second) {
    std::wstring text;
    AppendTwoDigits(text, hour);
    text.push_back(L':');
    AppendTwoDigits(text, minute);
    text.push_back(L':');
    AppendTwoDigits(text, second);
    text.push_back(L'\t');
    return text;
}

void AppendWide(std::string& out, std::wstring_view text) {
    for (const wchar_t unit : text) {
        // A UTF-16 unit on Windows; on the host a negative wchar_t becomes a large code, which
        // ends the value as any unit beyond 0xFF does.
        // NOLINTNEXTLINE(bugprone-signed-char-misuse,cert-str34-c)
        const auto code = static_cast<std::uint32_t>(unit);
        if (code == 0 || code > 0xFF) {
            return;
        }
        AppendTextByte(out, static_cast<char>(static_cast<unsigned char>(code)));
    }
}

void AppendNarrow(std::string& out, std::string_view text) {
    for (const char byte : text) {
        AppendTextByte(out, byte);
    }
}

void AppendResult(std::string& out, std::int32_t result) {
    const auto bits = static_cast<std::uint32_t>(result);
    char digits[8];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), bits, 16).ptr;
    out += "0x";
    out.append(8 - static_cast<std::size_t>(end - digits), '0');
    out.append(digits, end);
}

void AppendUnsigned(std::string& out, std::uint32_t value) {
    char digits[10];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    out.append(digits, end);
}

void AppendFlag(std::string& out, bool flag) {
    out.push_back(flag ? '1' : '0');
}

void AppendLineEnd(std::string& out) {
    AppendTextByte(out, kLineFeed);
}

}  // namespace tendril
