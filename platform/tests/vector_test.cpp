#include "platform/vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "counting_allocator.h"
#include "platform/basic_string.h"
#include "platform/process_heap.h"

namespace vrel {
namespace {

using testing::AddressSpaceAllocator;
using testing::CountingAllocator;

struct Block64 {
    std::uint64_t words[8];
};
static_assert(sizeof(Block64) == 64);

template <typename T>
std::vector<T> Contents(const vector<T>& v) {
    return std::vector<T>(v.begin(), v.end());
}

vector<int> Numbers(CountingAllocator& allocator, int count) {
    vector<int> v{AllocatorHandle(&allocator)};
    for (int i = 0; i < count; ++i) {
        v.push_back(i);
    }
    return v;
}

TEST(VectorTest, SixtyFourByteElementsGrowTo4Then8Then16) {
    CountingAllocator allocator;
    vector<Block64> v{AllocatorHandle(&allocator)};
    std::vector<std::uint32_t> capacities{v.capacity()};
    for (std::uint64_t i = 0; i < 17; ++i) {
        v.push_back(Block64{{i}});
        if (v.capacity() != capacities.back()) {
            capacities.push_back(v.capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<std::uint32_t>{0, 4, 8, 16, 32}));
    EXPECT_EQ(allocator.sizes(), (std::vector<std::size_t>{256, 512, 1024, 2048}));
    EXPECT_EQ(allocator.frees(), 3);
    for (std::uint32_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i].words[0], i);
    }
}

TEST(VectorTest, EmptyVectorHoldsNoBlock) {
    const vector<int> v;
    EXPECT_EQ(v.begin(), nullptr);
    EXPECT_EQ(v.end(), nullptr);
    EXPECT_EQ(v.capacity(), 0u);
}

// Counts how elements travel, to show growth moves rather than copies.
// A test element: only the members whose use it counts or refuses are declared.
struct Traveller {  // NOLINT(cppcoreguidelines-special-member-functions)
    static inline int copies = 0;
    int value;
    explicit Traveller(int v) : value(v) {}
    Traveller(const Traveller& other) : value(other.value) { ++copies; }
    Traveller(Traveller&& other) noexcept : value(other.value) { other.value = -1; }
    Traveller& operator=(const Traveller&) = default;
    Traveller& operator=(Traveller&&) noexcept = default;
};

TEST(VectorTest, GrowthMovesElementsThatMoveWithoutThrowing) {
    CountingAllocator allocator;
    vector<Traveller> v{AllocatorHandle(&allocator)};
    Traveller::copies = 0;
    for (int i = 0; i < 9; ++i) {
        v.emplace_back(i);
    }
    EXPECT_EQ(Traveller::copies, 0);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(v[i].value, i);
    }
}

TEST(VectorTest, AppendingItsOwnElementWhileFullCopiesItBeforeTheMove) {
    CountingAllocator allocator;
    vector<narrow_string_t> v{AllocatorHandle(&allocator)};
    for (const char* text : {"first, long enough for the heap", "second", "third", "fourth"}) {
        narrow_string_t s{AllocatorHandle(&allocator)};
        s.append(text, static_cast<std::uint32_t>(std::string_view(text).size()));
        v.push_back(std::move(s));
    }
    ASSERT_EQ(v.size(), v.capacity());
    v.push_back(v[0]);
    EXPECT_EQ(v[4].view(), "first, long enough for the heap");
    EXPECT_EQ(v[0].view(), "first, long enough for the heap");
}

// Strings, not numbers: an overlapping forward move of trivial elements would still work.
TEST(VectorTest, InsertKeepsTheOrder) {
    struct Case {
        const char* name;
        int start_count;
        std::uint32_t position;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"at the start, room left", 3, 0, {"new", "0", "1", "2"}},
        {"in the middle, room left", 3, 1, {"0", "new", "1", "2"}},
        {"at the end, room left", 3, 3, {"0", "1", "2", "new"}},
        {"at the start, full", 4, 0, {"new", "0", "1", "2", "3"}},
        {"in the middle, full", 4, 2, {"0", "1", "new", "2", "3"}},
        {"at the end, full", 4, 4, {"0", "1", "2", "3", "new"}},
        {"into an empty vector", 0, 0, {"new"}},
    };
    for (const Case& c : cases) {
        CountingAllocator allocator;
        vector<std::string> v{AllocatorHandle(&allocator)};
        for (int i = 0; i < c.start_count; ++i) {
            v.push_back(std::to_string(i));
        }
        const std::string* placed = v.insert(v.begin() + c.position, "new");
        EXPECT_EQ(Contents(v), c.expected) << c.name;
        EXPECT_EQ(placed, v.begin() + c.position) << c.name;
    }
}

TEST(VectorTest, ReserveGrowsToTheCountAskedAndNeverShrinks) {
    CountingAllocator allocator;
    vector<int> v = Numbers(allocator, 3);
    v.reserve(10);
    EXPECT_EQ(v.capacity(), 10u);
    EXPECT_EQ(Contents(v), (std::vector<int>{0, 1, 2}));
    const int allocations = allocator.allocations();
    v.reserve(10);
    v.reserve(2);
    EXPECT_EQ(allocator.allocations(), allocations);
    EXPECT_EQ(v.capacity(), 10u);
}

TEST(VectorLimitTest, CountsAreCappedWhereTheByteSizeLeaves32Bits) {
    EXPECT_EQ(vector<std::uint64_t>::kMaxCount, 0x1FFFFFFFu);
    EXPECT_EQ(vector<Block64>::kMaxCount, 0x3FFFFFFu);
}

TEST(VectorLimitTest, ReserveBeyondTheCapThrowsWithoutAllocating) {
    CountingAllocator allocator;
    vector<Block64> v{AllocatorHandle(&allocator)};
    try {
        v.reserve(vector<Block64>::kMaxCount + 1);
        ADD_FAILURE() << "no length_error";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "vector::reserve");
    }
    EXPECT_EQ(allocator.allocations(), 0);

    allocator.FailAllocation(1);
    EXPECT_THROW(v.reserve(vector<Block64>::kMaxCount), std::bad_alloc);
    EXPECT_EQ(allocator.sizes(), (std::vector<std::size_t>{0xFFFFFFC0u}));
    EXPECT_EQ(v.capacity(), 0u);
}

// Three of these fill the 32-bit byte range; their blocks are address space never touched.
// A test element: only the members whose use it counts or refuses are declared.
struct Gigabyte {  // NOLINT(cppcoreguidelines-special-member-functions)
    // Neither leaves a trace in its bytes.
    Gigabyte() {}
    Gigabyte(Gigabyte&&) noexcept {}
    unsigned char bytes[0x40000000];
};

TEST(VectorLimitTest, AppendAtTheCapThrowsAndGrowthStopsAtTheCap) {
    ASSERT_EQ(vector<Gigabyte>::kMaxCount, 3u);
    AddressSpaceAllocator allocator;
    {
        vector<Gigabyte> v{AllocatorHandle(&allocator)};
        for (int i = 0; i < 3; ++i) {
            v.emplace_back();
        }
        EXPECT_EQ(v.capacity(), 3u) << "the first growth asks for 4, the cap allows 3";
        const Gigabyte* first = v.data();
        try {
            v.emplace_back();
            ADD_FAILURE() << "no length_error";
        } catch (const std::length_error& e) {
            EXPECT_STREQ(e.what(), "vector::append");
        }
        EXPECT_EQ(v.size(), 3u);
        EXPECT_EQ(v.data(), first);
    }
    EXPECT_EQ(allocator.sizes(), (std::vector<std::size_t>{3 * sizeof(Gigabyte)}));
}

TEST(VectorTest, RefusedGrowthThrowsBadAllocAndLeavesTheVectorAlone) {
    CountingAllocator allocator;
    vector<int> v = Numbers(allocator, 4);
    const int* block = v.data();
    allocator.FailAllocation(1);
    EXPECT_THROW(v.push_back(4), std::bad_alloc);
    allocator.FailAllocation(1);
    EXPECT_THROW(v.insert(v.begin(), 4), std::bad_alloc);
    allocator.FailAllocation(1);
    EXPECT_THROW(v.reserve(5), std::bad_alloc);
    EXPECT_EQ(Contents(v), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(v.data(), block);
    EXPECT_EQ(v.capacity(), 4u);
}

// Its move may throw, so growth must copy: a failed copy then leaves the originals whole.
// A test element: only the members whose use it counts or refuses are declared.
struct Fragile {  // NOLINT(cppcoreguidelines-special-member-functions)
    static inline int live = 0;
    static inline int copies_before_failure = -1;
    int value;
    explicit Fragile(int v) : value(v) { ++live; }
    Fragile(const Fragile& other) : value(other.value) {
        if (copies_before_failure == 0) {
            throw std::runtime_error("copy failed");
        }
        --copies_before_failure;
        ++live;
    }
    Fragile(Fragile&& other) noexcept(false) : value(other.value) {
        other.value = -1;
        ++live;
    }
    ~Fragile() { --live; }
};

TEST(VectorTest, FailedElementCopyDuringGrowthLeavesTheOriginalsWhole) {
    CountingAllocator allocator;
    {
        vector<Fragile> v{AllocatorHandle(&allocator)};
        for (int i = 0; i < 4; ++i) {
            v.emplace_back(i);
        }
        Fragile::copies_before_failure = 2;
        EXPECT_THROW(v.emplace_back(4), std::runtime_error);
        Fragile::copies_before_failure = -1;
        EXPECT_EQ(Fragile::live, 4) << "the copies made and the new element are gone again";
        ASSERT_EQ(v.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(v[i].value, i);
        }
        EXPECT_EQ(allocator.live(), 1u) << "the new block went back";
    }
    EXPECT_EQ(Fragile::live, 0);
}

TEST(VectorTest, CopyUsesTheSourceAllocatorAndMoveTakesTheBlock) {
    CountingAllocator allocator;
    vector<int> source = Numbers(allocator, 5);
    const vector<int> copy(source);
    EXPECT_EQ(Contents(copy), Contents(source));
    EXPECT_TRUE(allocator.owns(copy.data()));

    const int* block = source.data();
    const vector<int> moved(std::move(source));
    EXPECT_EQ(moved.data(), block);
    // The moved-from state is what is tested.
    EXPECT_TRUE(source.empty());  // NOLINT(bugprone-use-after-move,clang-analyzer-cplusplus.Move)
}

TEST(VectorTest, NullHandleTakesAndGivesBackProcessHeapBlocks) {
    const std::size_t before = ProcessHeapBlocksInUse();
    {
        vector<std::uint64_t> v;
        for (std::uint64_t i = 0; i < 20; ++i) {
            v.push_back(i);
        }
        EXPECT_EQ(ProcessHeapBlocksInUse(), before + 1);
    }
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);
}

}  // namespace
}  // namespace vrel
