#include "platform/module_file_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vrel {
namespace {

// A narrow file-name call that behaves like GetModuleFileNameA for a name of a given length:
// it cuts the name at the buffer size and records the sizes it was asked for.
struct FakeModuleName {
    explicit FakeModuleName(std::string module_name, std::uint32_t error = 0)
        : name(std::move(module_name)), error_when_empty(error) {}

    std::string name;
    std::uint32_t error_when_empty;
    std::vector<std::uint32_t> sizes;

    NarrowModuleFileNameCall Call() {
        return {[this](char* buffer, std::uint32_t size) -> std::uint32_t {
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

using Sizes = std::vector<std::uint32_t>;

TEST(ReadNarrowModuleFileNameTest, NamesAreReadWholeAfterAsManyDoublingsAsNeeded) {
    const struct {
        std::size_t length;
        Sizes sizes;
    } cases[] = {
        {259, {260}},
        {260, {260, 520}},
        {300, {260, 520}},
        {16639, {260, 520, 1040, 2080, 4160, 8320, 16640}},
    };
    for (const auto& test : cases) {
        FakeModuleName fake{"C:\\" + std::string(test.length - 3, 'a')};
        std::string out;
        EXPECT_EQ(ReadNarrowModuleFileName(fake.Call(), out), results::kOk) << test.length;
        EXPECT_EQ(out, fake.name) << test.length;
        EXPECT_EQ(fake.sizes, test.sizes) << test.length;
    }
}

TEST(ReadNarrowModuleFileNameTest, NameCutBeyond32768BytesIsError14WithoutAnotherCall) {
    for (const std::size_t length : {16640u, 40000u}) {
        FakeModuleName fake{std::string(length, 'x')};
        std::string out = "untouched";
        EXPECT_EQ(ReadNarrowModuleFileName(fake.Call(), out), ResultFromWin32Error(14)) << length;
        EXPECT_EQ(out, "untouched");
        EXPECT_EQ(fake.sizes.back(), 16640u) << length;
    }
}

TEST(ReadNarrowModuleFileNameTest, FailedCallGivesTheMappedLastError) {
    FakeModuleName fake{"", 126};
    std::string out = "untouched";
    EXPECT_EQ(ReadNarrowModuleFileName(fake.Call(), out), MakeResult(0x80010112));
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(fake.sizes, Sizes{260});
}

TEST(ReadNarrowModuleFileNameTest, FailedCallWithoutLastErrorCountsAsSuccess) {
    // An ambiguous failure maps to 0 by the convention of the error mapping.
    FakeModuleName fake{"", 0};
    std::string out = "untouched";
    EXPECT_EQ(ReadNarrowModuleFileName(fake.Call(), out), results::kOk);
    EXPECT_EQ(out, "untouched");
}

TEST(FileNamePartTest, TakesWhatFollowsTheLastBackslash) {
    const struct {
        std::string_view path;
        std::string_view name;
    } cases[] = {
        {"C:\\Program Files\\App\\ulmo.dll", "ulmo.dll"},
        {"\\\\?\\C:\\deep\\ulmo.dll", "ulmo.dll"},
        {"ulmo.dll", "ulmo.dll"},
        {"C:\\folder\\", ""},
        {"", ""},
        // Only the backslash separates: that is what the system writes in module names.
        {"C:/folder/ulmo.dll", "C:/folder/ulmo.dll"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(FileNamePart(test.path), test.name) << test.path;
    }
}

}  // namespace
}  // namespace vrel
