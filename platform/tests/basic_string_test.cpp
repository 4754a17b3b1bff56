#include "platform/basic_string.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "counting_allocator.h"
#include "platform/process_heap.h"

namespace vrel {
namespace {

using testing::AddressSpaceAllocator;
using testing::CountingAllocator;
using testing::ReservedAddressSpace;

template <typename CharT>
void Append(basic_string_t<CharT>& s, std::basic_string_view<CharT> text) {
    s.append(text.data(), static_cast<std::uint32_t>(text.size()));
}

// Appends one character at a time and notes each capacity the string passes through.
template <typename CharT>
std::vector<std::uint32_t> CapacitiesWhileAppending(basic_string_t<CharT>& s, int count) {
    std::vector<std::uint32_t> capacities{s.capacity()};
    for (int i = 0; i < count; ++i) {
        const CharT c = static_cast<CharT>('a' + i % 26);
        s.append(&c, 1);
        if (s.capacity() != capacities.back()) {
            capacities.push_back(s.capacity());
        }
    }
    return capacities;
}

TEST(BasicStringTest, EmptyStringUsesItsInlineBuffer) {
    CountingAllocator allocator;
    {
        const wide_string_t wide{AllocatorHandle(&allocator)};
        const narrow_string_t narrow{AllocatorHandle(&allocator)};
        EXPECT_EQ(wide.size(), 0u);
        EXPECT_EQ(wide.capacity(), 7u);
        EXPECT_EQ(wide.data()[0], L'\0');
        EXPECT_EQ(narrow.capacity(), 15u);
        EXPECT_EQ(narrow.data()[0], '\0');
        EXPECT_EQ(wide.allocator().get(), &allocator);
        EXPECT_EQ(allocator.references(), 2);
    }
    EXPECT_EQ(allocator.allocations(), 0);
}

TEST(BasicStringTest, WideGrowsFrom7To14To28) {
    CountingAllocator allocator;
    wide_string_t s{AllocatorHandle(&allocator)};
    EXPECT_EQ(CapacitiesWhileAppending(s, 29), (std::vector<std::uint32_t>{7, 14, 28, 56}));
    constexpr std::size_t w = sizeof(wchar_t);
    EXPECT_EQ(allocator.sizes(), (std::vector<std::size_t>{15 * w, 29 * w, 57 * w}));
    EXPECT_EQ(allocator.frees(), 2) << "each outgrown heap buffer goes back, the inline one not";
    EXPECT_EQ(s.view(), L"abcdefghijklmnopqrstuvwxyzabc");
    EXPECT_EQ(s.data()[29], L'\0');
}

TEST(BasicStringTest, NarrowGrowsFrom15To30) {
    CountingAllocator allocator;
    narrow_string_t s{AllocatorHandle(&allocator)};
    EXPECT_EQ(CapacitiesWhileAppending(s, 31), (std::vector<std::uint32_t>{15, 30, 60}));
    EXPECT_EQ(allocator.sizes(), (std::vector<std::size_t>{31, 61}));
    EXPECT_EQ(s.view(), "abcdefghijklmnopqrstuvwxyzabcde");
}

TEST(BasicStringTest, LargeAppendGrowsToWhatItNeeds) {
    CountingAllocator allocator;
    wide_string_t s{AllocatorHandle(&allocator)};
    Append<wchar_t>(s, L"abc");
    Append<wchar_t>(s, std::wstring(40, L'x'));
    EXPECT_EQ(s.capacity(), 43u);
    EXPECT_EQ(s.size(), 43u);
}

TEST(BasicStringTest, AppendNarrowWidensEachByteWithoutSignExtension) {
    wide_string_t s;
    s.append_narrow("A\xE9\x7F", 3);
    EXPECT_EQ(s.view(), std::wstring(L"A\u00E9\u007F"));
}

TEST(BasicStringTest, AppendingItsOwnTextIsSafe) {
    struct Case {
        const char* name;
        std::wstring start;
        std::uint32_t offset;
        std::uint32_t count;
    };
    const Case cases[] = {
        {"within capacity", L"abc", 0, 3},
        {"inline to heap", L"abcdefg", 0, 7},
        {"heap to heap", std::wstring(L"abcdefghijklmn"), 0, 14},
        {"a tail part, heap to heap", std::wstring(L"abcdefghijklmn"), 10, 4},
    };
    for (const Case& c : cases) {
        CountingAllocator allocator;
        wide_string_t s{AllocatorHandle(&allocator)};
        Append<wchar_t>(s, c.start);
        s.append(s.data() + c.offset, c.count);
        EXPECT_EQ(s.view(), c.start + c.start.substr(c.offset, c.count)) << c.name;
    }
}

TEST(BasicStringTest, InsertPlacesTheRange) {
    struct Case {
        const char* name;
        std::wstring start;
        std::uint32_t position;
        std::wstring range;
        std::wstring expected;
        std::uint32_t capacity;
    };
    const Case cases[] = {
        {"at the start, in place", L"cd", 0, L"ab", L"abcd", 7},
        {"in the middle, in place", L"ad", 1, L"bc", L"abcd", 7},
        {"at the end, in place", L"ab", 2, L"cd", L"abcd", 7},
        {"grows to twice the capacity", L"abcdef", 3, L"XY", L"abcXYdef", 14},
        {"grows to the new length", L"abcdef", 0, std::wstring(20, L'x'),
         std::wstring(20, L'x') + L"abcdef", 26},
        {"empty range changes nothing", L"abc", 1, L"", L"abc", 7},
    };
    for (const Case& c : cases) {
        CountingAllocator allocator;
        wide_string_t s{AllocatorHandle(&allocator)};
        Append<wchar_t>(s, c.start);
        s.insert(c.position, c.range.data(), c.range.data() + c.range.size());
        EXPECT_EQ(s.view(), c.expected) << c.name;
        EXPECT_EQ(s.capacity(), c.capacity) << c.name;
        EXPECT_EQ(s.data()[s.size()], L'\0') << c.name;
    }
}

TEST(BasicStringTest, InsertingItsOwnTextIsSafe) {
    struct Case {
        const char* name;
        std::wstring start;
        std::uint32_t position;
        std::uint32_t first;
        std::uint32_t last;
        std::wstring expected;
    };
    const Case cases[] = {
        {"whole text at the start, inline", L"hello", 0, 0, 5, L"hellohello"},
        {"part of the text in the middle", L"hello", 2, 1, 3, L"heelllo"},
        {"whole text at the start, heap buffer grows", L"abcdefghijklmn", 0, 0, 14,
         L"abcdefghijklmnabcdefghijklmn"},
        {"tail at the start, in place", L"hello", 0, 3, 5, L"lohello"},
    };
    for (const Case& c : cases) {
        CountingAllocator allocator;
        wide_string_t s{AllocatorHandle(&allocator)};
        Append<wchar_t>(s, c.start);
        s.insert(c.position, s.data() + c.first, s.data() + c.last);
        EXPECT_EQ(s.view(), c.expected) << c.name;
    }
}

TEST(BasicStringTest, InsertPastTheEndIsRejected) {
    wide_string_t s;
    Append<wchar_t>(s, L"abc");
    const wchar_t x = L'x';
    EXPECT_THROW(s.insert(4, &x, &x + 1), std::out_of_range);
    EXPECT_EQ(s.view(), L"abc");
}

TEST(BasicStringTest, ResizeCutsOrFills) {
    CountingAllocator allocator;
    wide_string_t s{AllocatorHandle(&allocator)};
    Append<wchar_t>(s, L"abcdefghijklmnopqrst");
    const wchar_t* buffer = s.data();
    const std::uint32_t capacity = s.capacity();

    s.resize(5, L'-');
    EXPECT_EQ(s.view(), L"abcde");
    EXPECT_EQ(s.data()[5], L'\0');
    EXPECT_EQ(s.data(), buffer) << "a shorter length keeps the buffer";
    EXPECT_EQ(s.capacity(), capacity);

    s.resize(8, L'-');
    EXPECT_EQ(s.view(), L"abcde---");
    EXPECT_EQ(s.data(), buffer);

    s.resize(45, L'+');
    EXPECT_EQ(s.view(), L"abcde---" + std::wstring(37, L'+'));
    EXPECT_EQ(s.capacity(), 45u) << "twice 20 is not enough";
    EXPECT_EQ(s.data()[45], L'\0');
}

TEST(BasicStringTest, CopyUsesTheSourceAllocatorAndMoveTakesTheBuffer) {
    CountingAllocator allocator;
    wide_string_t source{AllocatorHandle(&allocator)};
    Append<wchar_t>(source, L"a text longer than seven");

    const wide_string_t copy(source);
    EXPECT_EQ(copy.view(), source.view());
    EXPECT_NE(copy.data(), source.data());
    EXPECT_EQ(copy.allocator().get(), &allocator);
    EXPECT_TRUE(allocator.owns(copy.data()));

    const wchar_t* buffer = source.data();
    const int allocations = allocator.allocations();
    wide_string_t moved(std::move(source));
    EXPECT_EQ(moved.data(), buffer);
    EXPECT_EQ(allocator.allocations(), allocations);
    // The moved-from state is what is tested.
    EXPECT_EQ(source.size(), 0u);  // NOLINT(bugprone-use-after-move,clang-analyzer-cplusplus.Move)
    EXPECT_EQ(source.capacity(), 7u);
    Append<wchar_t>(source, L"usable");
    EXPECT_EQ(source.view(), L"usable");

    wide_string_t short_text{AllocatorHandle(&allocator)};
    Append<wchar_t>(short_text, L"short");
    const wide_string_t short_copy(short_text);
    const wide_string_t short_moved(std::move(short_text));
    EXPECT_EQ(short_copy.view(), L"short");
    EXPECT_EQ(short_moved.view(), L"short");
    EXPECT_EQ(short_moved.capacity(), 7u);
    EXPECT_EQ(allocator.allocations(), allocations) << "short texts stay inline";
}

TEST(BasicStringTest, AssignmentReleasesTheOldBuffer) {
    CountingAllocator allocator;
    wide_string_t target{AllocatorHandle(&allocator)};
    Append<wchar_t>(target, L"the old text, on the heap");
    wide_string_t source{AllocatorHandle(&allocator)};
    Append<wchar_t>(source, L"the new text, also on the heap");

    target = source;
    EXPECT_EQ(target.view(), source.view());
    EXPECT_EQ(allocator.live(), 2u);
    wide_string_t& same = target;  // through a reference, as aliasing code would do it
    target = same;
    EXPECT_EQ(target.view(), L"the new text, also on the heap");

    target = std::move(source);
    EXPECT_EQ(target.view(), L"the new text, also on the heap");
    EXPECT_EQ(allocator.live(), 1u);
}

TEST(BasicStringTest, ReleaseGivesBackTheHeapBuffer) {
    CountingAllocator allocator;
    wide_string_t s{AllocatorHandle(&allocator)};
    Append<wchar_t>(s, L"on the heap for sure");
    s.release();
    EXPECT_EQ(allocator.live(), 0u);
    EXPECT_EQ(s.size(), 0u);
    EXPECT_EQ(s.capacity(), 7u);
    s.release();
    EXPECT_EQ(allocator.frees(), 1);
}

TEST(BasicStringTest, NullHandleTakesAndGivesBackProcessHeapBlocks) {
    const std::size_t before = ProcessHeapBlocksInUse();
    {
        wide_string_t s;
        Append<wchar_t>(s, L"inline");
        EXPECT_EQ(ProcessHeapBlocksInUse(), before);
        Append<wchar_t>(s, L" and now on the heap");
        EXPECT_EQ(ProcessHeapBlocksInUse(), before + 1);
        Append<wchar_t>(s, std::wstring(100, L'x'));
        EXPECT_EQ(ProcessHeapBlocksInUse(), before + 1) << "the outgrown buffer went back";
    }
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);
}

// Each operation forces a new buffer, which the allocator refuses.
TEST(BasicStringTest, FailedGrowthThrowsBadAllocAndLeavesTheStringAlone) {
    const std::wstring start = L"twenty characters!!!";
    const std::wstring more(40, L'm');
    struct Case {
        const char* name;
        std::function<void(wide_string_t&)> grow;
    };
    const Case cases[] = {
        {"append", [&](wide_string_t& s) { Append<wchar_t>(s, more); }},
        {"append its own text", [](wide_string_t& s) { s.append(s.data(), s.size()); }},
        {"append narrow", [](wide_string_t& s) { s.append_narrow("0123456789", 10); }},
        {"resize", [](wide_string_t& s) { s.resize(100, L'r'); }},
        {"insert", [&](wide_string_t& s) { s.insert(3, more.data(), more.data() + 40); }},
        {"insert its own text", [](wide_string_t& s) { s.insert(0, s.data(), s.data() + 20); }},
        {"reserve extra", [](wide_string_t& s) { s.reserve_extra(1); }},
    };
    for (const Case& c : cases) {
        CountingAllocator allocator;
        wide_string_t s{AllocatorHandle(&allocator)};
        Append<wchar_t>(s, start);
        const wchar_t* buffer = s.data();
        allocator.FailAllocation(1);
        EXPECT_THROW(c.grow(s), std::bad_alloc) << c.name;
        EXPECT_EQ(s.view(), start) << c.name;
        EXPECT_EQ(s.data(), buffer) << c.name;
        EXPECT_EQ(s.capacity(), 20u) << c.name;
    }
}

TEST(BasicStringTest, CopyWithoutMemoryThrowsBadAlloc) {
    CountingAllocator allocator;
    wide_string_t s{AllocatorHandle(&allocator)};
    Append<wchar_t>(s, L"long enough for the heap");
    allocator.FailAllocation(1);
    EXPECT_THROW(wide_string_t{s}, std::bad_alloc);
}

template <typename CharT>
void ExpectReserveLimit() {
    using String = basic_string_t<CharT>;
    CountingAllocator allocator;
    String s{AllocatorHandle(&allocator)};
    const CharT abc[] = {'a', 'b', 'c'};
    s.append(abc, 3);

    // Refused up front, so that a missed limit can't turn into a real 4 GiB block.
    allocator.FailAllocation(1);
    try {
        s.reserve_extra(String::kMaxLength - 3 + 1);
        ADD_FAILURE() << "no length_error";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "vrel::basic_string_t::reserve_extra()");
    }
    EXPECT_EQ(allocator.allocations(), 0);

    // Just inside the limit the allocator is asked for the whole block (it refuses).
    EXPECT_THROW(s.reserve_extra(String::kMaxLength - 3), std::bad_alloc);
    EXPECT_EQ(allocator.sizes().back(),
              (static_cast<std::size_t>(String::kMaxLength) + 1) * sizeof(CharT));
    EXPECT_EQ(s.size(), 3u);
    EXPECT_EQ(s.capacity(), String::kInlineCapacity);
}

TEST(BasicStringLimitTest, ReserveExtraStopsAtTheLimitOfEachForm) {
    EXPECT_EQ(wide_string_t::kMaxLength, 0x7FFFFFFEu);
    EXPECT_EQ(narrow_string_t::kMaxLength, 0xFFFFFFFEu);
    ExpectReserveLimit<wchar_t>();
    ExpectReserveLimit<char>();
}

// The inserted range lies in address space that is never read: the limit is decided first.
TEST(BasicStringLimitTest, InsertStopsAt0x7FFFFFFECharacters) {
    constexpr std::size_t kRoom = 0x7FFFFFFEu - 3;
    ReservedAddressSpace range((kRoom + 1) * sizeof(wchar_t));
    ASSERT_NE(range.get(), nullptr);
    const auto* first = static_cast<const wchar_t*>(range.get());

    CountingAllocator allocator;
    wide_string_t s{AllocatorHandle(&allocator)};
    Append<wchar_t>(s, L"abc");
    allocator.FailAllocation(1);
    try {
        s.insert(1, first, first + kRoom + 1);
        ADD_FAILURE() << "no length_error";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "vrel::basic_string_t::resize_extra_at");
    }
    EXPECT_EQ(allocator.allocations(), 0);

    EXPECT_THROW(s.insert(1, first, first + kRoom), std::bad_alloc);
    EXPECT_EQ(allocator.sizes().back(), 0x7FFFFFFFu * sizeof(wchar_t));
    EXPECT_EQ(s.view(), L"abc");
}

// Twice a capacity above half the limit would not fit in 32 bits; growth stops at the limit.
TEST(BasicStringLimitTest, DoublingNearTheLimitStopsAtTheLimit) {
    AddressSpaceAllocator allocator;
    {
        narrow_string_t s{AllocatorHandle(&allocator)};
        s.reserve_extra(0x90000000u);
        s.append("abc", 3);
        s.reserve_extra(s.capacity() - s.size() + 1);
        EXPECT_EQ(s.capacity(), narrow_string_t::kMaxLength);
        EXPECT_EQ(s.view(), "abc");
    }
    EXPECT_EQ(allocator.sizes(), (std::vector<std::size_t>{0x90000001u, 0xFFFFFFFFu}));
}

}  // namespace
}  // namespace vrel
