// The registry value writer against the real (Wine) registry, read back by type and bytes.
#include "regscript/writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace tendril {
namespace {

constexpr wchar_t kKey[] = L"Software\\VelmoraLab\\TendrilWriterTest";

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

    const RegistryKeyPath key_{kRegistryRootLocalMachine, kKey};
};

TEST_F(RegistryWriterTest, StringsCountTheirNulAndNumbersAreLittleEndian) {
    SetRegistryValue(key_, {L"S", std::wstring(L"ab")});
    SetRegistryValue(key_, {L"E", std::wstring()});
    SetRegistryValue(key_, {L"D", std::uint32_t{0x12345678}});
    EXPECT_EQ(Read(L"S"), std::make_optional(std::make_pair<DWORD, std::string>(
                              REG_SZ, std::string("a\0b\0\0\0", 6))));
    EXPECT_EQ(Read(L"E"), std::make_optional(
                              std::make_pair<DWORD, std::string>(REG_SZ, std::string("\0\0", 2))));
    EXPECT_EQ(Read(L"D"), std::make_optional(
                              std::make_pair<DWORD, std::string>(REG_DWORD, "\x78\x56\x34\x12")));
}

TEST_F(RegistryWriterTest, LaterWriteReplacesTypeAndData) {
    SetRegistryValue(key_, {L"V", std::uint32_t{1}});
    SetRegistryValue(key_, {L"V", std::wstring(L"x")});
    EXPECT_EQ(Read(L"V"), std::make_optional(std::make_pair<DWORD, std::string>(
                              REG_SZ, std::string("x\0\0\0", 4))));
    SetRegistryValue(key_, {L"V", std::uint32_t{2}});
    EXPECT_EQ(Read(L"V"), std::make_optional(std::make_pair<DWORD, std::string>(
                              REG_DWORD, std::string("\x02\0\0\0", 4))));
}

TEST_F(RegistryWriterTest, MissingKeyIsSkippedAndNeverCreated) {
    const RegistryKeyPath missing{kRegistryRootLocalMachine, std::wstring(kKey) + L"\\Missing"};
    EXPECT_NO_THROW(SetRegistryValue(missing, {L"V", std::wstring(L"x")}));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, missing.subkey.c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST_F(RegistryWriterTest, OtherRootIsRejectedBeforeAnythingIsOpened) {
    for (const RegistryRoot root : {1, -3}) {
        try {
            SetRegistryValue({root, kKey}, {L"V", std::wstring(L"x")});
            FAIL() << "no exception for root " << root;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid root key: " + std::to_string(root));
        }
    }
    EXPECT_FALSE(Read(L"V").has_value());
}

}  // namespace
}  // namespace tendril
