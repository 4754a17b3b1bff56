// What reading a script costs the heap, counted by this program's own operator new and
// delete: the launcher reads scripts of a million lines in a 32-bit process.
#include "regscript/reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "heap_count.h"

namespace tendril {
namespace {

// Keys of nine values each, strings and numbers in turn, at the lengths scripts have.
std::string ScriptOfKeys(std::size_t keys) {
    std::string text = "REGEDIT4\r\n";
    char line[128];
    for (std::size_t key = 0; key < keys; ++key) {
        std::snprintf(line, sizeof line, "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Key%06zu]\r\n",
                      key);
        text += line;
        for (int value = 1; value <= 9; ++value) {
            if (value % 2 == 1) {
                std::snprintf(line, sizeof line, "\"Setting%d\"=\"value of setting %zu.%d\"\r\n",
                              value, key, value);
            } else {
                std::snprintf(line, sizeof line, "\"Counter%d\"=dword:%08zx\r\n", value, key);
            }
            text += line;
        }
    }
    return text;
}

// The file's own bytes count: the reader holds them while it parses, and the operations
// keep viewing them.
TEST(ReaderMemoryTest, PeakStaysWithinFourTimesTheFile) {
    const auto path = std::filesystem::path(testing::TempDir()) / "reader_memory.regupd";
    std::size_t file_bytes = 0;
    {
        const std::string text = ScriptOfKeys(10000);
        file_bytes = text.size();
        std::ofstream(path, std::ios::binary) << text;
    }
    const std::size_t base = heap_count::LiveBytes();
    heap_count::ResetPeak();
    std::size_t kept_bytes = 0;
    {
        const RegistryScript script = ParseRegistryScript(path.wstring());
        kept_bytes = heap_count::LiveBytes() - base;
        EXPECT_EQ(script.size(), 90000u);
    }
    const std::size_t parse_peak = heap_count::PeakBytes() - base;
    std::filesystem::remove(path);
    EXPECT_LE(parse_peak, 4 * file_bytes) << "file " << file_bytes << ", kept " << kept_bytes;
    // Nothing outlives the script.
    EXPECT_EQ(heap_count::LiveBytes(), base);
}

}  // namespace
}  // namespace tendril
