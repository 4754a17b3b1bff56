#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/stack_trace.h"

namespace vrel {
namespace {

struct FakeModule {
    const char* name;
    std::uint64_t base;
    std::uint64_t size;
    Result result;
};

// B starts where A ends, so an end address wrongly taken as outside A would add B.
constexpr FakeModule kModules[] = {
    {"a.exe", 0x400000, 0x10000, results::kOk},
    {"b.dll", 0x410000, 0x8000, results::kOk},
    {"c.dll", 0x7FF000000000, 0x20000, results::kOk},
    {"broken.dll", 0x500000, 0x1000, results::kInvalidSignature},
};

std::vector<std::uint64_t> described;

// Describes the module that holds the address, as the system would for loaded images.
Result DescribeFake(std::uint64_t address, ModuleEntry& entry) {
    described.push_back(address);
    for (const FakeModule& m : kModules) {
        if (address >= m.base && address < m.base + m.size) {
            if (Failed(m.result)) {
                return m.result;
            }
            entry.fileName.append(m.name, static_cast<std::uint32_t>(std::string(m.name).size()));
            entry.debugIdentity.append("GUID,1", 6);
            entry.base = m.base;
            entry.size = m.size;
            return results::kOk;
        }
    }
    return MakeResult(0x80010112);
}

StackTrace Stack(const std::vector<std::uint64_t>& addresses) {
    StackTrace stack;
    for (const std::uint64_t address : addresses) {
        stack.push_back(address);
    }
    return stack;
}

TEST(BuildModuleTableTest, OneEntryPerModuleSortedByBase) {
    struct Case {
        const char* name;
        std::vector<std::uint64_t> stack;
        std::vector<std::string> modules;
        std::size_t descriptions;
    };
    const Case cases[] = {
        {"empty stack", {}, {}, 0},
        {"several addresses in one module", {0x400010, 0x401000, 0x40FFFF}, {"a.exe"}, 1},
        {"sorted by base whatever the stack order",
         {0x7FF000000100, 0x410010, 0x400100, 0x400200, 0x7FF000000200},
         {"a.exe", "b.dll", "c.dll"},
         3},
        {"an address at a module's end lies in that module", {0x400010, 0x410000}, {"a.exe"}, 1},
        {"a module that can't be described is left out and asked again",
         {0x500010, 0x400010, 0x500020},
         {"a.exe"},
         3},
        {"an address in no module is left out", {0x900000, 0x410010}, {"b.dll"}, 2},
    };
    for (const Case& c : cases) {
        described.clear();
        const ModuleTable table = BuildModuleTable(Stack(c.stack), &DescribeFake);
        std::vector<std::string> names;
        for (const ModuleEntry& entry : table) {
            names.emplace_back(entry.fileName.view());
        }
        EXPECT_EQ(names, c.modules) << c.name;
        EXPECT_EQ(described.size(), c.descriptions) << c.name;
    }
}

TEST(BuildModuleTableTest, EntriesKeepWhatTheDescriptionFilledIn) {
    const ModuleTable table = BuildModuleTable(Stack({0x410010, 0x400010}), &DescribeFake);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].fileName.view(), "a.exe");
    EXPECT_EQ(table[0].debugIdentity.view(), "GUID,1");
    EXPECT_EQ(table[0].base, 0x400000u);
    EXPECT_EQ(table[0].size, 0x10000u);
    EXPECT_EQ(table[1].base, 0x410000u);
    EXPECT_GE(table.capacity(), 10u) << "room for a typical stack from the start";
}

TEST(BuildModuleTableTest, HostHasNoStackAndNoModuleDescriptions) {
    EXPECT_TRUE(CaptureStackTrace().empty());
    ModuleEntry entry;
    EXPECT_EQ(DescribeModule(0x400000, entry), results::kNotSupported);
    EXPECT_TRUE(BuildModuleTable(Stack({0x400000})).empty());
}

}  // namespace
}  // namespace vrel
