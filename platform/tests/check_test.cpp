#include "platform/check.h"

#include <gtest/gtest.h>

#include "platform/check_failure.h"

namespace vrel {
namespace {

TEST(CheckResultTest, SuccessCodesReturn) {
    EXPECT_NO_THROW(CheckResult(0, "file", 1));
    EXPECT_NO_THROW(CheckResult(1, "file", 1));
}

TEST(CheckResultTest, FailureRaisesWithCodeAndLocation) {
    try {
        CheckResult(results::kBufferTooSmall, "platform\\include\\platform\\util\\module", 30);
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "CheckResultFailedException");
        const auto& failure = dynamic_cast<const CheckResultFailedException&>(e);
        EXPECT_EQ(failure.result(), results::kBufferTooSmall);
        EXPECT_STREQ(failure.file(), "platform\\include\\platform\\util\\module");
        EXPECT_EQ(failure.line(), 30);
    }
}

}  // namespace
}  // namespace vrel
