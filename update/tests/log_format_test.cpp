#include "update/log_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tendril {
namespace {

using namespace std::string_literals;

TEST(UpdateLogFileNameTest, DateWithoutLeadingZeros) {
    struct Case {
        int year, month, day;
        std::wstring name;
    };
    const Case cases[] = {
        {2026, 12, 8, L"patch_2026.12.8.log"},
        {2027, 1, 31, L"patch_2027.1.31.log"},
        {2026, 10, 10, L"patch_2026.10.10.log"},
        {2030, 2, 1, L"patch_2030.2.1.log"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateLogFileName(c.year, c.month, c.day), c.name)
            << c.year << '-' << c.month << '-' << c.day;
    }
}

TEST(FormatLogTimestampTest, TwoDigitsEachThenTab) {
    struct Case {
        int hour, minute, second;
        std::wstring text;
    };
    const Case cases[] = {
        {9, 5, 3, L"09:05:03\t"},
        {23, 59, 59, L"23:59:59\t"},
        {0, 0, 0, L"00:00:00\t"},
        {10, 0, 40, L"10:00:40\t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatLogTimestamp(c.hour, c.minute, c.second), c.text)
            << c.hour << ':' << c.minute << ':' << c.second;
    }
}

std::wstring Units(std::initializer_list<unsigned> list) {
    std::wstring text;
    for (unsigned unit : list) {
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

TEST(AppendWideTest, StoresLatin1AndStopsAtTheFirstUnitItCannot) {
    struct Case {
        const char* name;
        std::wstring wide;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", L"", ""},
        {"ASCII path", L"C:\\Program Files\\patch", "C:\\Program Files\\patch"},
        {"e acute", Units({'c', 0xE9, '!'}), "c\xE9!"},
        {"Latin-1 edges", Units({0x01, 0x7F, 0x80, 0xA0, 0xFF}), "\x01\x7F\x80\xA0\xFF"},
        {"cut at U+0100", L"C:\\a\u0100b", "C:\\a"},
        {"cut at euro sign", Units({'x', 0x20AC, 'y', 'z'}), "x"},
        {"cut at a surrogate", Units({'x', 0xD83D, 0xDE00}), "x"},
        {"cut at the first unit", Units({0x100, 'a'}), ""},
        {"cut at NUL", L"a\0b"s, "a"},
        {"tab kept", L"09:05:03\t", "09:05:03\t"},
        {"line feed", L"a\nb\n", "a\r\nb\r\n"},
        {"carriage return kept", L"a\rb", "a\rb"},
        {"CR LF gains a CR", L"a\r\nb", "a\r\r\nb"},
        {"line feed before the cut", L"a\n\u0100\n", "a\r\n"},
    };
    for (const auto& c : cases) {
        std::string out = "<";
        AppendWide(out, c.wide);
        EXPECT_EQ(out, "<" + c.bytes) << c.name;
    }
}

TEST(AppendNarrowTest, KeepsBytesButStoresLineFeedAsCrLf) {
    struct Case {
        const char* name;
        std::string text;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"message", "Failed to open logger stream", "Failed to open logger stream"},
        {"high bytes", "\x80\xE9\xFF", "\x80\xE9\xFF"},
        {"NUL kept", "a\0b"s, "a\0b"s},
        {"line feeds", "\na\n\n", "\r\na\r\n\r\n"},
        {"carriage return kept", "a\rb", "a\rb"},
    };
    for (const auto& c : cases) {
        std::string out = "<";
        AppendNarrow(out, c.text);
        EXPECT_EQ(out, "<" + c.bytes) << c.name;
    }
}

TEST(AppendValueTest, EachFormAppendsItsText) {
    struct Case {
        const char* name;
        std::function<void(std::string&)> append;
        std::string text;
    };
    const Case cases[] = {
        {"result 0", [](std::string& s) { AppendResult(s, 0); }, "0x00000000"},
        {"result 1", [](std::string& s) { AppendResult(s, 1); }, "0x00000001"},
        {"result failure",
         [](std::string& s) { AppendResult(s, static_cast<std::int32_t>(0x80010102u)); },
         "0x80010102"},
        {"result lowercase", [](std::string& s) { AppendResult(s, 0x00ABCDEF); }, "0x00abcdef"},
        {"result -1", [](std::string& s) { AppendResult(s, -1); }, "0xffffffff"},
        {"result max", [](std::string& s) { AppendResult(s, 0x7FFFFFFF); }, "0x7fffffff"},
        {"unsigned 0", [](std::string& s) { AppendUnsigned(s, 0); }, "0"},
        {"unsigned 183", [](std::string& s) { AppendUnsigned(s, 183); }, "183"},
        {"unsigned 1000000", [](std::string& s) { AppendUnsigned(s, 1'000'000); }, "1000000"},
        {"unsigned max", [](std::string& s) { AppendUnsigned(s, 0xFFFFFFFF); }, "4294967295"},
        {"flag true", [](std::string& s) { AppendFlag(s, true); }, "1"},
        {"flag false", [](std::string& s) { AppendFlag(s, false); }, "0"},
        {"line end", [](std::string& s) { AppendLineEnd(s); }, "\r\n"},
    };
    for (const auto& c : cases) {
        std::string out = "<";
        c.append(out);
        EXPECT_EQ(out, "<" + c.text) << c.name;
    }
}

// A value cut short loses only its own rest: the entry goes on with its next part.
TEST(LogEntryBytesTest, CutValueLeavesTheRestOfTheEntry) {
    std::string out;
    AppendWide(out, FormatLogTimestamp(9, 5, 3));
    AppendNarrow(out, "Copy ");
    AppendWide(out, L"C:\\a\u0100b");
    AppendNarrow(out, " failed: ");
    AppendResult(out, static_cast<std::int32_t>(0x80070005u));
    AppendNarrow(out, ", error ");
    AppendUnsigned(out, 183);
    AppendNarrow(out, ", existed ");
    AppendFlag(out, true);
    AppendLineEnd(out);
    EXPECT_EQ(out, "09:05:03\tCopy C:\\a failed: 0x80070005, error 183, existed 1\r\n");
}

}  // namespace
}  // namespace tendril
