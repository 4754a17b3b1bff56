#include "platform/result_from_exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "platform/check_failure.h"

namespace vrel {
namespace {

Result Boundary(const std::function<void()>& body) noexcept {
    try {
        body();
        return results::kOk;
    } catch (...) {
        return ResultFromCurrentException();
    }
}

TEST(ResultFromCurrentExceptionTest, OutOfMemoryIsKeptApartFromEverythingElse) {
    struct Case {
        const char* name;
        std::function<void()> body;
        Result expected;
    };
    const Case cases[] = {
        {"bad_alloc", [] { throw std::bad_alloc(); }, results::kOutOfMemory},
        {"bad_array_new_length", [] { throw std::bad_array_new_length(); }, results::kOutOfMemory},
        {"length_error", [] { throw std::length_error("vector::append"); }, results::kUnspecified},
        {"check failure", [] { throw CheckResultFailedException(results::kAccessDenied, "f", 1); },
         results::kUnspecified},
        {"not a std::exception", [] { throw 42; }, results::kUnspecified},
        {"nothing thrown", [] {}, results::kOk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Boundary(c.body), c.expected) << c.name;
    }
}

TEST(ResultFromCurrentExceptionTest, OutsideAHandlerGivesUnspecifiedInsteadOfEnding) {
    EXPECT_EQ(ResultFromCurrentException(), results::kUnspecified);
}

}  // namespace
}  // namespace vrel
