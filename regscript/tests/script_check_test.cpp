#include "script_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tendril {
namespace {

TEST(CheckRegistryScriptTest, ReportsOperationsOrTheFirstErrorWithItsLine) {
    struct Case {
        const char* name;
        std::string bytes;
        bool accepted;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {"string and number",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\A]\r\n\"S\"=\"x \\\\ y\"\r\n"
         "\"N\"=dword:-2\r\n\"M\"=dword:1f\r\n",
         true,
         "s.regupd: [HKEY_LOCAL_MACHINE\\Software\\A] \"S\" REG_SZ \"x \\\\ y\"\n"
         "s.regupd: [HKEY_LOCAL_MACHINE\\Software\\A] \"N\" REG_DWORD 0xfffffffe\n"
         "s.regupd: [HKEY_LOCAL_MACHINE\\Software\\A] \"M\" REG_DWORD 0x0000001f\n",
         ""},
        {"nothing to do", "REGEDIT4\n", true, "", ""},
        {"error after valid lines prints no operation",
         "[HKEY_LOCAL_MACHINE\\A]\n\"S\"=\"1\"\n\n\"T\"=dword:80000000\n", false, "",
         "s.regupd:4: stol argument out of range\n"},
        {"error on the first line", "[HKEY_USERS\\A]\n", false, "",
         "s.regupd:1: Invalid root key: HKEY_USERS\n"},
    };
    const auto dir = std::filesystem::path(testing::TempDir()) / "regscript_check_test";
    std::filesystem::create_directories(dir);
    const auto path = dir / "s.regupd";
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.bytes;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(CheckRegistryScript(path.wstring(), "s.regupd", out, err), c.accepted) << c.name;
        EXPECT_EQ(out.str(), c.out) << c.name;
        EXPECT_EQ(err.str(), c.err) << c.name;
    }
    std::filesystem::remove_all(dir);

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_FALSE(CheckRegistryScript(path.wstring(), "gone", out, err));
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "gone: Failed to open registry file: " + path.string() + "\n");
}

}  // namespace
}  // namespace tendril
