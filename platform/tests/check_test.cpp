#include "platform/check.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/check_failure.h"
#include "platform/process_heap.h"

namespace vrel {
namespace {

constexpr const char* kModuleHeader = "platform\\include\\platform\\util\\module";

TEST(CheckResultTest, SuccessCodesReturn) {
    EXPECT_NO_THROW(CheckResult(0, "file", 1));
    EXPECT_NO_THROW(CheckResult(1, "file", 1));
    EXPECT_NO_THROW(CheckResult(0x7FFFFFFF, "file", 1));
}

TEST(CheckResultTest, FailureRaisesWithCodeLocationAndContext) {
    try {
        CheckResult(results::kBufferTooSmall, kModuleHeader, 30);
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "CheckResultFailedException");
        const auto& failure = dynamic_cast<const CheckResultFailedException&>(e);
        EXPECT_EQ(ResultOf(failure), results::kBufferTooSmall);
        EXPECT_STREQ(failure.File(), kModuleHeader);
        EXPECT_EQ(failure.Line(), 30);
        EXPECT_TRUE(failure.ContextText().empty());
        EXPECT_EQ(failure.Description().view(), L"0x80000044 (Buffer too small)");

        const ExceptionDetail* detail = failure.Detail();
        ASSERT_NE(detail, nullptr);
        EXPECT_STREQ(detail->message.c_str(), "Expression failed");
        // The host has no stack capture: the failure is raised all the same.
        EXPECT_TRUE(detail->stack.empty());
        EXPECT_TRUE(detail->modules.empty());
        EXPECT_EQ(detail->properties.size(), 1u);
        EXPECT_TRUE(detail->furtherText.empty());
    }
}

// The detail, its message, the module table's first room, the result's value and the
// property list each take one process-heap block; refusing any of them must undo the rest.
TEST(CheckResultFailedExceptionTest, NoMemoryAtAnyStepThrowsBadAllocAndLeavesNothing) {
    const std::size_t before = ProcessHeapBlocksInUse();
    int refused = 0;
    for (std::size_t nth = 1;; ++nth) {
        const ScopedProcessHeapFailure failure(nth);
        try {
            const CheckResultFailedException e(results::kAccessDenied, "file", 1);
            EXPECT_FALSE(failure.Triggered());
            EXPECT_EQ(ProcessHeapBlocksInUse(), before + 5);
            break;
        } catch (const std::bad_alloc&) {
            EXPECT_TRUE(failure.Triggered()) << nth;
            ++refused;
        }
        EXPECT_EQ(ProcessHeapBlocksInUse(), before) << "allocation " << nth << " refused";
    }
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);
}

TEST(CheckResultTest, NoMemoryReplacesTheCheckFailure) {
    const ScopedProcessHeapFailure failure(1);
    EXPECT_THROW(CheckResult(results::kBufferTooSmall, kModuleHeader, 30), std::bad_alloc);
}

}  // namespace
}  // namespace vrel
