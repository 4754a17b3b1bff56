#include "regscript/narrow.h"

#include <gtest/gtest.h>

#include <string>

namespace tendril {
namespace {

using namespace std::string_literals;

TEST(NarrowForMessageTest, KeepsLatin1AndRefusesAllElse) {
    struct Case {
        const char* name;
        std::wstring wide;
        std::string narrow;
    };
    const auto units = [](std::initializer_list<unsigned> list) {
        std::wstring text;
        for (unsigned unit : list) {
            text.push_back(static_cast<wchar_t>(unit));
        }
        return text;
    };
    const Case cases[] = {
        {"empty", L"", ""},
        {"ASCII", L"C:\\Queue\\a.regupd", "C:\\Queue\\a.regupd"},
        {"NUL kept", L"a\0b"s, "a\0b"s},
        {"Latin-1 bytes", units({0x80, 0xA0, 0xE9, 0xFF}), "\x80\xA0\xE9\xFF"},
        {"first code point past one byte", units({'a', 0x100}), "bad cast"},
        {"euro sign", units({0x20AC, 'a'}), "bad cast"},
        {"surrogate pair", units({'a', 0xD83D, 0xDE00}), "bad cast"},
        {"lone high surrogate at the end", units({'a', 0xD800}), "bad cast"},
        {"lone low surrogate", units({0xDC00, 'a'}), "bad cast"},
        {"high surrogate before a non-surrogate", units({0xDBFF, 'a'}), "bad cast"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NarrowForMessage(c.wide), c.narrow) << c.name;
    }
}

}  // namespace
}  // namespace tendril
