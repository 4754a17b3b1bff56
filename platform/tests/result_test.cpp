#include "platform/result.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace vrel {
namespace {

struct Win32Case {
    std::uint32_t error;
    std::uint32_t code;
};

// Every row of the Win32 table, then the fallbacks and the HRESULT forms.
constexpr Win32Case kWin32Cases[] = {
    {0, 0x00000000},
    {1, 0x80000042},
    {2, 0x80010102},
    {3, 0x80010103},
    {5, 0x80000045},
    {6, 0x80010101},
    {8, 0x80000041},
    {21, 0x80000063},
    {24, 0x8000005C},
    {31, 0x8000004B},
    {32, 0x80010104},
    {33, 0x80010104},
    {50, 0x80000042},
    {53, 0x80010103},
    {80, 0x80010105},
    {87, 0x80000046},
    {111, 0x80000044},
    {112, 0x80000062},
    {122, 0x80000044},
    {123, 0x80010109},
    {126, 0x80010112},
    {127, 0x80010107},
    {160, 0x80000046},
    {183, 0x80010105},
    {193, 0x80010117},
    {234, 0x80000044},
    {267, 0x80010103},
    {393, 0x80010114},
    {637, 0x80010113},
    {995, 0x80000051},
    {1168, 0x8000004C},
    {1247, 0x80000067},
    {1347, 0x80010110},
    {1413, 0x8000005E},
    {1450, 0x8000006C},
    {1460, 0x80000221},
    {1630, 0x8000005D},
    {14001, 0x80010108},
    // Unlisted numbers keep themselves under the Win32 facility.
    {14, 0x8007000E},
    {4, 0x80070004},
    {145, 0x80070091},
    {0xFFFF, 0x8007FFFF},
    // HRESULTs that wrap a Win32 error: only bits 16 to 27 are compared with 7.
    {0x80070005, 0x80000045},
    {0xC0070005, 0x80000045},
    {0x80070000, 0x00000000},
    {0x8007FFFF, 0x8007FFFF},
    {0x8007000E, 0x8007000E},
    {0x80070002, 0x80010102},
    // Other failures and large success values.
    {0x80004005, 0x80010100},
    {0xFFFFFFFF, 0x80010100},
    {0x00010000, 0x00000000},
    {0x7FFFFFFF, 0x00000000},
};

TEST(ResultFromWin32ErrorTest, MapsEveryTableRowAndFallback) {
    for (const auto& c : kWin32Cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(ResultFromWin32Error(c.error)), c.code)
            << "error " << std::hex << c.error;
    }
}

struct TextCase {
    std::uint32_t code;
    std::string_view text;
};

constexpr TextCase kTextCases[] = {
    {0x00000000, "No error"},
    {0x00000001, "False"},
    {0x80000001, "Interface not supported"},
    {0x80000040, "Unexpected"},
    {0x80000041, "Out of memory"},
    {0x80000042, "Not supported"},
    {0x80000043, "Not implemented"},
    {0x80000044, "Buffer too small"},
    {0x80000045, "Access denied"},
    {0x80000046, "Invalid argument"},
    {0x80000047, "Bad cast"},
    {0x8000004A, "Not matched"},
    {0x8000004B, "Unspecified error"},
    {0x8000004C, "Not found"},
    {0x8000004D, "Found"},
    {0x8000004F, "Locked"},
    {0x80000050, "Not locked"},
    {0x80000051, "Operation cancelled"},
    {0x80000057, "Method not found"},
    {0x80000058, "Stack is empty"},
    {0x80000059, "Media error"},
    {0x8000005A, "Invalid signature"},
    {0x8000005B, "Invalid version"},
    {0x8000005C, "Invalid size"},
    {0x8000005D, "Invalid type"},
    {0x8000005E, "Out of range"},
    {0x80000062, "Out of space"},
    {0x80000063, "Not ready"},
    {0x80000064, "Less than"},
    {0x80000065, "More than"},
    {0x80000066, "Prohibited"},
    {0x80000067, "Already done"},
    {0x80000068, "Need reboot"},
    {0x80000069, "Bases corrupted"},
    {0x8000006A, "Invalid state"},
    {0x8000006B, "Not initialized"},
    {0x8000006C, "Insufficient resources"},
    {0x80000071, "Invalid result"},
    {0x80000072, "Unknown exception"},
    {0x80000076, "Meta information not found"},
    {0x80000077, "Numerical type overflow"},
    {0x80000078, "File is too big"},
    {0x80000079, "Trace level ok"},
    {0x8000007A, "Trace level prohibited"},
    {0x80000100, "Class not found"},
    {0x80000101, "Settings are required"},
    {0x80000102, "Unexpected settings"},
    {0x80000103, "Wrong settings type"},
    {0x80000104, "Wrong settings revision"},
    {0x80000105, "Settings not found"},
    {0x80000106, "Object is untrusted"},
    {0x80000150, "No current exception"},
    {0x80000151, "Exception has no result code"},
    {0x80000152, "Exception with successful result code"},
    {0x80000180, "Property not found"},
    {0x80000221, "Operation timeout"},
    {0x80000300, "Invalid symbol"},
    {0x80000301, "Non dec symbol"},
    {0x80000302, "Non hex symbol"},
    {0x80000303, "Non base64 symbol"},
    {0x80000310, "Syntax error"},
    {0x80000311, "GUID syntax error"},
    {0x80000312, "OID syntax error"},
    {0x80000313, "DateTime syntax error"},
    {0x80010100, "Unspecified platform error"},
    {0x80010101, "Invalid handle"},
    {0x80010102, "File not found"},
    {0x80010103, "Path not found"},
    {0x80010104, "Sharing violation"},
    {0x80010105, "Already exists"},
    {0x80010106, "Wait abandoned"},
    {0x80010107, "Symbol not found"},
    {0x80010108, "Sxs is incorrect"},
    {0x80010109, "Invalid path name"},
    {0x80010110, "Cannot open an anonymous level security token"},
    {0x80010111, "Password is invalid"},
    {0x80010112, "Module not found"},
    {0x80010113, "System image bad signature"},
    {0x80010114, "Cloud file request aborted"},
    {0x80010115, "Memory mapping failed"},
    {0x80010116, "Network error"},
    {0x80010117, "System image bad format"},
    // Gaps, other success values and other facilities have no text.
    {0x00000002, "Unknown result code"},
    {0x80000002, "Unknown result code"},
    {0x8000003F, "Unknown result code"},
    {0x80000048, "Unknown result code"},
    {0x8000004E, "Unknown result code"},
    {0x8001010A, "Unknown result code"},
    {0x8001010F, "Unknown result code"},
    {0x80010118, "Unknown result code"},
    {0x8007000E, "Unknown result code"},
    {0x80020000, "Unknown result code"},
    {0x00010102, "Unknown result code"},
    {0x7FFFFFFF, "Unknown result code"},
};

TEST(ResultMessageTest, GivesTheTextOfEveryCodeAndTheFallback) {
    for (const auto& c : kTextCases) {
        EXPECT_EQ(ResultMessage(MakeResult(c.code)), c.text) << "code " << std::hex << c.code;
    }
}

TEST(ResultMessageTest, CodesOfTheSuccessFacilityZeroInPositiveFormHaveNoFailureText) {
    // 0x00000041 has the number of "Out of memory" but not its failure bit.
    EXPECT_EQ(ResultMessage(0x41), "Unknown result code");
}

TEST(ResultTest, SuccessIsDecidedBySignOnly) {
    EXPECT_TRUE(Succeeded(0));
    EXPECT_TRUE(Succeeded(1));
    EXPECT_TRUE(Succeeded(0x7FFFFFFF));
    EXPECT_TRUE(Failed(MakeResult(0x80000000)));
    EXPECT_TRUE(Failed(results::kFileNotFound));
}

}  // namespace
}  // namespace vrel
