#include "platform/result.h"

#include <algorithm>
#include <array>

namespace vrel {
namespace {

struct CodeText {
    std::uint32_t code;
    std::string_view text;
};

// Append-only: codes keep their numbers and texts forever. Sorted by code for lookup.
constexpr std::array<CodeText, 64> kGeneralTable{{
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
}};

constexpr std::array<CodeText, 18> kPlatformTable{{
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
}};

struct Win32Mapping {
    std::uint32_t error;
    std::uint32_t code;
};

constexpr std::array<Win32Mapping, 38> kWin32Table{{
    {0, 0x00000000},      // ERROR_SUCCESS
    {1, 0x80000042},      // ERROR_INVALID_FUNCTION
    {2, 0x80010102},      // ERROR_FILE_NOT_FOUND
    {3, 0x80010103},      // ERROR_PATH_NOT_FOUND
    {5, 0x80000045},      // ERROR_ACCESS_DENIED
    {6, 0x80010101},      // ERROR_INVALID_HANDLE
    {8, 0x80000041},      // ERROR_NOT_ENOUGH_MEMORY
    {21, 0x80000063},     // ERROR_NOT_READY
    {24, 0x8000005C},     // ERROR_BAD_LENGTH
    {31, 0x8000004B},     // ERROR_GEN_FAILURE
    {32, 0x80010104},     // ERROR_SHARING_VIOLATION
    {33, 0x80010104},     // ERROR_LOCK_VIOLATION
    {50, 0x80000042},     // ERROR_NOT_SUPPORTED
    {53, 0x80010103},     // ERROR_BAD_NETPATH
    {80, 0x80010105},     // ERROR_FILE_EXISTS
    {87, 0x80000046},     // ERROR_INVALID_PARAMETER
    {111, 0x80000044},    // ERROR_BUFFER_OVERFLOW
    {112, 0x80000062},    // ERROR_DISK_FULL
    {122, 0x80000044},    // ERROR_INSUFFICIENT_BUFFER
    {123, 0x80010109},    // ERROR_INVALID_NAME
    {126, 0x80010112},    // ERROR_MOD_NOT_FOUND
    {127, 0x80010107},    // ERROR_PROC_NOT_FOUND
    {160, 0x80000046},    // ERROR_BAD_ARGUMENTS
    {183, 0x80010105},    // ERROR_ALREADY_EXISTS
    {193, 0x80010117},    // ERROR_BAD_EXE_FORMAT
    {234, 0x80000044},    // ERROR_MORE_DATA
    {267, 0x80010103},    // ERROR_DIRECTORY
    {393, 0x80010114},    // cloud file request aborted
    {637, 0x80010113},    // system image bad signature
    {995, 0x80000051},    // ERROR_OPERATION_ABORTED
    {1168, 0x8000004C},   // ERROR_NOT_FOUND
    {1247, 0x80000067},   // ERROR_ALREADY_INITIALIZED
    {1347, 0x80010110},   // ERROR_CANT_OPEN_ANONYMOUS
    {1413, 0x8000005E},   // ERROR_INVALID_INDEX
    {1450, 0x8000006C},   // ERROR_NO_SYSTEM_RESOURCES
    {1460, 0x80000221},   // ERROR_TIMEOUT
    {1630, 0x8000005D},   // ERROR_UNSUPPORTED_TYPE
    {14001, 0x80010108},  // ERROR_SXS_CANT_GEN_ACTCTX
}};

template <typename Table>
constexpr bool IsSortedByKey(const Table& table, auto key) {
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (!(key(table[i - 1]) < key(table[i]))) {
            return false;
        }
    }
    return true;
}
static_assert(IsSortedByKey(kGeneralTable, [](const CodeText& e) { return e.code; }));
static_assert(IsSortedByKey(kPlatformTable, [](const CodeText& e) { return e.code; }));
static_assert(IsSortedByKey(kWin32Table, [](const Win32Mapping& e) { return e.error; }));

constexpr std::string_view kUnknown = "Unknown result code";

std::string_view FindText(const auto& table, std::uint32_t code) noexcept {
    const auto it = std::lower_bound(table.begin(), table.end(), code,
                                     [](const CodeText& e, std::uint32_t c) { return e.code < c; });
    return (it != table.end() && it->code == code) ? it->text : kUnknown;
}

// Steps 1 and 2 of the mapping: the table, else the number under the Win32 facility.
Result MapSmallWin32Error(std::uint32_t value) noexcept {
    const auto it =
        std::lower_bound(kWin32Table.begin(), kWin32Table.end(), value,
                         [](const Win32Mapping& e, std::uint32_t v) { return e.error < v; });
    if (it != kWin32Table.end() && it->error == value) {
        return MakeResult(it->code);
    }
    return MakeResult(0x80070000u + value);
}

}  // namespace

Result ResultFromWin32Error(std::uint32_t value) noexcept {
    if (value < 0x10000) {
        return MapSmallWin32Error(value);
    }
    if ((value & 0x80000000u) == 0) {
        return results::kOk;
    }
    if ((value & 0x0FFF0000u) == 0x00070000u) {
        return MapSmallWin32Error(value & 0xFFFFu);
    }
    return results::kPlatformUnspecified;
}

std::string_view ResultMessage(Result code) noexcept {
    const std::uint32_t bits = static_cast<std::uint32_t>(code);
    switch ((code >> 16) & 0x7FFF) {
        case 0:
            return FindText(kGeneralTable, bits);
        case 1:
            return FindText(kPlatformTable, bits);
        default:
            return kUnknown;
    }
}

}  // namespace vrel
