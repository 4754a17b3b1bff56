#include "platform/compact_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/process_heap.h"

namespace vrel {
namespace {

// The record's last byte tells the form: room left in the short form, marker in the long.
unsigned char LastByte(const CompactNarrowText& text) {
    unsigned char bytes[sizeof(CompactNarrowText)];
    // The object's bytes themselves are what is tested: the inline form's last byte.
    std::memcpy(bytes, &text, sizeof(bytes));  // NOLINT(bugprone-undefined-memory-manipulation)
    return bytes[sizeof(bytes) - 1];
}

TEST(CompactNarrowTextTest, ElevenCharactersFitInlineTwelveGoToTheHeap) {
    struct Case {
        std::size_t length;
        bool is_inline;
        unsigned char last_byte;  // for the long form only its marker bit is fixed
    };
    const Case cases[] = {
        {0, true, 11}, {1, true, 10}, {11, true, 0}, {12, false, 0x80}, {200, false, 0x80},
    };
    for (const Case& c : cases) {
        const std::size_t blocks = ProcessHeapBlocksInUse();
        {
            const std::string source(c.length, 'q');
            CompactNarrowText text;
            text.assign(source);
            EXPECT_EQ(text.c_str(), source) << c.length;
            EXPECT_EQ(text.size(), c.length) << c.length;
            EXPECT_EQ(text.is_inline(), c.is_inline) << c.length;
            const unsigned char mask = c.is_inline ? 0xFF : 0x80;
            EXPECT_EQ(LastByte(text) & mask, c.last_byte) << c.length;
            EXPECT_EQ(ProcessHeapBlocksInUse(), blocks + (c.is_inline ? 0 : 1)) << c.length;
        }
        EXPECT_EQ(ProcessHeapBlocksInUse(), blocks) << c.length;
    }
}

TEST(CompactNarrowTextTest, EmptyTextIsInlineAndTerminated) {
    const CompactNarrowText text;
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_EQ(text.size(), 0u);
    EXPECT_EQ(LastByte(text), 11);
}

TEST(CompactNarrowTextTest, ReassigningReleasesTheOldHeapText) {
    const std::size_t blocks = ProcessHeapBlocksInUse();
    CompactNarrowText text;
    text.assign("a message on the heap");
    text.assign("another one on the heap");
    EXPECT_EQ(ProcessHeapBlocksInUse(), blocks + 1);
    text.assign("short");
    EXPECT_STREQ(text.c_str(), "short");
    EXPECT_EQ(ProcessHeapBlocksInUse(), blocks);
}

TEST(CompactNarrowTextTest, NoMemoryThrowsBadAllocAndKeepsTheOldText) {
    CompactNarrowText text;
    text.assign("kept");
    const ScopedProcessHeapFailure failure(1);
    EXPECT_THROW(text.assign("Expression failed"), std::bad_alloc);
    EXPECT_TRUE(failure.Triggered());
    EXPECT_STREQ(text.c_str(), "kept");
}

}  // namespace
}  // namespace vrel
