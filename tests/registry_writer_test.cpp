// The registry value writer against the real (Wine) registry, read back by type and bytes.
#include "regscript/writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace tendril {
namespace {

using namespace std::string_view_literals;

constexpr wchar_t kKey[] = L"Software\\VelmoraLab\\TendrilWriterTest";
// The same key as script text.
constexpr std::string_view kKeyText = "Software\\VelmoraLab\\TendrilWriterTest";

class RegistryWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey); }

    static std::optional<std::pair<DWORD, std::string>> Read(const wchar_t* name) {
        return testing::ReadRegistryValue(kKey, name);
    }

    const RegistryKeyPath key_{kRegistryRootLocalMachine, kKeyText};
};

TEST_F(RegistryWriterTest, StringsCountTheirNulAndNumbersAreLittleEndian) {
    SetRegistryValue(key_, {"S", "ab"sv});
    SetRegistryValue(key_, {"E", ""sv});
    SetRegistryValue(key_, {"D", std::uint32_t{0x12345678}});
    EXPECT_EQ(Read(L"S"), std::make_optional(std::make_pair<DWORD, std::string>(
                              REG_SZ, std::string("a\0b\0\0\0", 6))));
    EXPECT_EQ(Read(L"E"), std::make_optional(
                              std::make_pair<DWORD, std::string>(REG_SZ, std::string("\0\0", 2))));
    EXPECT_EQ(Read(L"D"), std::make_optional(
                              std::make_pair<DWORD, std::string>(REG_DWORD, "\x78\x56\x34\x12")));
}

TEST_F(RegistryWriterTest, LaterWriteReplacesTypeAndData) {
    SetRegistryValue(key_, {"V", std::uint32_t{1}});
    SetRegistryValue(key_, {"V", "x"sv});
    EXPECT_EQ(Read(L"V"), std::make_optional(std::make_pair<DWORD, std::string>(
                              REG_SZ, std::string("x\0\0\0", 4))));
    SetRegistryValue(key_, {"V", std::uint32_t{2}});
    EXPECT_EQ(Read(L"V"), std::make_optional(std::make_pair<DWORD, std::string>(
                              REG_DWORD, std::string("\x02\0\0\0", 4))));
}

// Script text is Latin-1: a byte from 0x80 on is the UTF-16 unit of its value, never a
// negative one, and a NUL inside string data is stored with the rest.
TEST_F(RegistryWriterTest, BytesBecomeTheUnitsOfTheirValue) {
    SetRegistryValue(key_, {"Caf\xE9", "\xB5\0\xFF"sv});
    EXPECT_EQ(Read(L"Caf\u00E9"), std::make_optional(std::make_pair<DWORD, std::string>(
                                      REG_SZ, std::string("\xB5\0\0\0\xFF\0\0\0", 8))));
}

TEST_F(RegistryWriterTest, MissingKeyIsSkippedAndNeverCreated) {
    const std::string missing_text = std::string(kKeyText) + "\\Missing";
    const RegistryKeyPath missing{kRegistryRootLocalMachine, missing_text};
    EXPECT_NO_THROW(SetRegistryValue(missing, {"V", "x"sv}));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kKey) + L"\\Missing").c_str(), 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST_F(RegistryWriterTest, OtherRootIsRejectedBeforeAnythingIsOpened) {
    for (const RegistryRoot root : {1, -3}) {
        try {
            SetRegistryValue({root, kKeyText}, {"V", "x"sv});
            FAIL() << "no exception for root " << root;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid root key: " + std::to_string(root));
        }
    }
    EXPECT_FALSE(Read(L"V").has_value());
}

}  // namespace
}  // namespace tendril
