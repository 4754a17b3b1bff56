#include "platform/module_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vrel {
namespace {

// A file-name call that behaves like GetModuleFileNameW for a name of a given length:
// it cuts the name at the buffer size and records the sizes it was asked for.
struct FakeModuleName {
    explicit FakeModuleName(std::wstring module_name, std::uint32_t error = 0)
        : name(std::move(module_name)), error_when_empty(error) {}

    std::wstring name;
    std::uint32_t error_when_empty;
    std::vector<std::uint32_t> sizes;

    ModuleFileNameCall Call() {
        return {[this](wchar_t* buffer, std::uint32_t size) -> std::uint32_t {
                    sizes.push_back(size);
                    if (name.empty()) {
                        return 0;
                    }
                    const auto n = std::min<std::uint32_t>(size, name.size());
                    std::copy_n(name.begin(), n, buffer);
                    return n;
                },
                [this] { return error_when_empty; }};
    }
};

TEST(ReadModuleFileNameTest, ShortNameIsReadAtTheFirstAttempt) {
    FakeModuleName fake{L"C:\\app\\tendril.exe"};
    WidePath out;
    EXPECT_EQ(ReadModuleFileName(fake.Call(), out), 0);
    EXPECT_EQ(out, fake.name);
    EXPECT_EQ(fake.sizes, (std::vector<std::uint32_t>{260}));
}

TEST(ReadModuleFileNameTest, NameOf300CharactersIsReadWholeAtTheSecondAttempt) {
    FakeModuleName fake{L"C:\\" + std::wstring(297, L'a')};
    WidePath out;
    EXPECT_EQ(ReadModuleFileName(fake.Call(), out), 0);
    EXPECT_EQ(out, fake.name);
    EXPECT_EQ(fake.sizes, (std::vector<std::uint32_t>{260, 520}));
}

TEST(ReadModuleFileNameTest, LongestReadableNameHas4159Characters) {
    FakeModuleName fake{std::wstring(4159, L'x')};
    WidePath out;
    EXPECT_EQ(ReadModuleFileName(fake.Call(), out), 0);
    EXPECT_EQ(out.size(), 4159u);
    EXPECT_EQ(fake.sizes, (std::vector<std::uint32_t>{260, 520, 1040, 2080, 4160}));
}

TEST(ReadModuleFileNameTest, NameCutAtEverySizeFailsAndLeavesTheOutputAlone) {
    for (const std::size_t length : {4160u, 4161u, 10000u}) {
        FakeModuleName fake{std::wstring(length, L'x')};
        WidePath out = L"untouched";
        EXPECT_EQ(ReadModuleFileName(fake.Call(), out), results::kBufferTooSmall) << length;
        EXPECT_EQ(out, L"untouched");
        EXPECT_EQ(fake.sizes.size(), 5u);
    }
}

TEST(ReadModuleFileNameTest, FailedCallGivesTheMappedLastError) {
    FakeModuleName fake{L"", 126};
    WidePath out = L"untouched";
    EXPECT_EQ(ReadModuleFileName(fake.Call(), out), MakeResult(0x80010112));
    EXPECT_EQ(out, L"untouched");
}

TEST(ReadModuleFileNameTest, FailedCallWithoutLastErrorCountsAsSuccessWithEmptyName) {
    // An ambiguous failure maps to 0 by the convention of the error mapping.
    FakeModuleName fake{L"", 0};
    WidePath out = L"untouched";
    EXPECT_EQ(ReadModuleFileName(fake.Call(), out), 0);
    EXPECT_EQ(out, L"untouched");
}

}  // namespace
}  // namespace vrel
