// What reading a script costs the heap, counted by this program's own operator new and
// delete: the launcher reads scripts of a million lines in a 32-bit process.
#include "regscript/reader.h"

#include <malloc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

namespace {

std::size_t live_bytes = 0;
std::size_t peak_bytes = 0;

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    live_bytes += malloc_usable_size(block);
    peak_bytes = std::max(peak_bytes, live_bytes);
    return block;
}

void Release(void* block) noexcept {
    if (block != nullptr) {
        live_bytes -= malloc_usable_size(block);
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

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
    const std::size_t base = live_bytes;
    peak_bytes = live_bytes;
    std::size_t kept_bytes = 0;
    {
        const RegistryScript script = ParseRegistryScript(path.wstring());
        kept_bytes = live_bytes - base;
        EXPECT_EQ(script.size(), 90000u);
    }
    const std::size_t parse_peak = peak_bytes - base;
    std::filesystem::remove(path);
    EXPECT_LE(parse_peak, 4 * file_bytes) << "file " << file_bytes << ", kept " << kept_bytes;
    // Nothing outlives the script.
    EXPECT_EQ(live_bytes, base);
}

}  // namespace
}  // namespace tendril
