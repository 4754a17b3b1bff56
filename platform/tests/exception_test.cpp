#include "platform/exception.h"

#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/check_failure.h"
#include "platform/process_heap.h"

namespace vrel {
namespace {

// The smallest concrete class under vrel::Exception, as a framework user would write one.
class PlainException : public ExceptionBase<PlainException, Exception> {
public:
    using ExceptionBase::ExceptionBase;
};

void SetContext(Exception& e, const wchar_t* text) {
    e.ContextText().append(text, static_cast<std::uint32_t>(std::wstring(text).size()));
}

void AddProperty(exception& e, const char* name, std::uint32_t type, std::uint32_t bits) {
    e.EnsureDetail().properties.emplace_back(name, PropertyValue(type, bits), 0u);
}

TEST(ExceptionTest, WhatNamesTheResultClassesAndOtherwiseGivesTheMessage) {
    EXPECT_STREQ(exception().what(), "Unknown exception");
    EXPECT_STREQ(PlainException().what(), "Unknown exception");

    exception with_message;
    with_message.EnsureDetail().message.assign("a message longer than eleven");
    EXPECT_STREQ(with_message.what(), "a message longer than eleven");
    PlainException plain;
    plain.EnsureDetail().message.assign("short");
    EXPECT_STREQ(plain.what(), "short");

    ResultCodeException result_code;
    EXPECT_STREQ(result_code.what(), "ResultCodeException");
    result_code.EnsureDetail().message.assign("ignored");
    EXPECT_STREQ(result_code.what(), "ResultCodeException");

    const CheckResultFailedException check(results::kAccessDenied, "file", 7);
    EXPECT_STREQ(check.what(), "CheckResultFailedException");
    EXPECT_STREQ(check.Detail()->message.c_str(), "Expression failed");
}

template <typename Catch>
bool CaughtAs() {
    try {
        throw CheckResultFailedException(results::kAccessDenied, "file", 1);
    } catch (const Catch&) {
        return true;
    } catch (...) {
        return false;
    }
}

TEST(ExceptionTest, CheckFailureCanBeCaughtAsEveryClassOfTheTree) {
    EXPECT_TRUE(CaughtAs<std::exception>());
    EXPECT_TRUE(CaughtAs<exception>());
    EXPECT_TRUE(CaughtAs<Exception>());
    EXPECT_TRUE((CaughtAs<ExceptionBase<ResultCodeException, Exception>>()));
    EXPECT_TRUE(CaughtAs<ResultCodeException>());
    EXPECT_TRUE((CaughtAs<ExceptionBase<CheckResultFailedException, ResultCodeException>>()));
    EXPECT_TRUE(CaughtAs<CheckResultFailedException>());
}

TEST(ExceptionTest, DescriptionOfResultClassesComposesContextCodeAndText) {
    struct Case {
        const wchar_t* context;
        std::optional<std::uint32_t> code;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"X", 0x80000045, L"X: 0x80000045 (Access denied)"},
        {L"", 0x80010102, L"0x80010102 (File not found)"},
        {L"", 0x8007000E, L"0x8007000e (Unknown result code)"},
        {L"", 0x00000001, L"0x00000001 (False)"},
        {L"no code", std::nullopt, L"no code: 0x80000151 (Exception has no result code)"},
    };
    for (const Case& c : cases) {
        ResultCodeException e;
        SetContext(e, c.context);
        if (c.code) {
            SetResult(e, MakeResult(*c.code));
        }
        EXPECT_EQ(e.Description().view(), c.expected);
        CheckResultFailedException check(MakeResult(c.code.value_or(0x80000151)), "f", 1);
        SetContext(check, c.context);
        EXPECT_EQ(check.Description().view(), c.expected);
    }
}

TEST(ExceptionTest, DescriptionOfPlainExceptionIsItsContext) {
    PlainException e;
    SetContext(e, L"what went wrong");
    SetResult(e, results::kAccessDenied);
    EXPECT_EQ(e.Description().view(), L"what went wrong");
}

TEST(ExceptionTest, ResultOfPrefersTheFrameworkCodeThenTheSystemError) {
    struct Property {
        const char* name;
        std::uint32_t type;
        std::uint32_t bits;
    };
    struct Case {
        const char* name;
        std::vector<Property> properties;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"detail without properties", {}, 0x80000151},
        {"framework code", {{"vrel.result", 20, 0x80000045}}, 0x80000045},
        {"framework code before system error",
         {{"os.result", 21, 2}, {"vrel.result", 20, 0x80000046}},
         0x80000046},
        {"system error mapped", {{"os.result", 21, 5}}, 0x80000045},
        {"unlisted system error", {{"os.result", 21, 14}}, 0x8007000E},
        {"framework name with the wrong type is absent",
         {{"vrel.result", 21, 0x80000045}, {"os.result", 21, 2}},
         0x80010102},
        {"system name with the wrong type is absent", {{"os.result", 20, 5}}, 0x80000151},
        {"names are compared whole",
         {{"vrel.resul", 20, 0x80000045}, {"vrel.result2", 20, 0x80000046}},
         0x80000151},
    };
    for (const Case& c : cases) {
        exception e;
        e.EnsureDetail();
        for (const Property& p : c.properties) {
            AddProperty(e, p.name, p.type, p.bits);
        }
        EXPECT_EQ(static_cast<std::uint32_t>(ResultOf(e)), c.expected) << c.name;
    }
    EXPECT_EQ(ResultOf(exception()), results::kNoResultCode) << "no detail at all";
}

TEST(ExceptionTest, SetResultKeepsOnePropertyWithTheLatestCode) {
    exception e;
    EXPECT_EQ(e.Detail(), nullptr);
    SetResult(e, results::kAccessDenied);
    ASSERT_NE(e.Detail(), nullptr);
    SetResult(e, results::kFileNotFound);
    const auto& properties = e.Detail()->properties;
    ASSERT_EQ(properties.size(), 1u);
    EXPECT_EQ(properties[0].Name(), "vrel.result");
    EXPECT_EQ(properties[0].value.Type(), 20u);
    EXPECT_EQ(properties[0].typeIdentity, 0x2B193A6Fu);
    EXPECT_EQ(ResultOf(e), results::kFileNotFound);
}

TEST(ExceptionTest, SetResultRetypesAPropertyOfTheRightNameAndKeepsItsIdentity) {
    exception e;
    AddProperty(e, "vrel.result", 7, 123);
    SetResult(e, results::kAccessDenied);
    const auto& properties = e.Detail()->properties;
    ASSERT_EQ(properties.size(), 1u);
    EXPECT_EQ(properties[0].value.Type(), 20u);
    EXPECT_EQ(properties[0].typeIdentity, 0u);
    EXPECT_EQ(ResultOf(e), results::kAccessDenied);
}

TEST(ExceptionTest, PropertyNamesHoldAtMost31Bytes) {
    exception e;
    EXPECT_NO_THROW(AddProperty(e, "a.name.of.exactly.31.bytes.long", 20, 1));
    EXPECT_EQ(e.Detail()->properties[0].Name(), "a.name.of.exactly.31.bytes.long");
    EXPECT_THROW(AddProperty(e, "a.name.of.exactly.32.bytes.long!", 20, 1), std::bad_alloc);
    EXPECT_EQ(e.Detail()->properties.size(), 1u);
}

TEST(ExceptionTest, CopiesShareTheDetailAndCopyTheContext) {
    PlainException e("file.cpp", 12);
    SetResult(e, results::kAccessDenied);
    SetContext(e, L"context longer than seven");
    const PlainException copy(e);
    EXPECT_EQ(copy.Detail(), e.Detail());
    EXPECT_EQ(e.Detail()->ReferenceCount(), 2u);
    EXPECT_EQ(copy.ContextText().view(), L"context longer than seven");
    EXPECT_NE(copy.ContextText().data(), e.ContextText().data());
    EXPECT_STREQ(copy.File(), "file.cpp");
    EXPECT_EQ(copy.Line(), 12);
}

TEST(ExceptionTest, RethrowThrowsTheMostDerivedClassSharingTheDetail) {
    const CheckResultFailedException check(results::kAccessDenied, "file", 3);
    ResultCodeException result_code;
    SetResult(result_code, results::kFileNotFound);
    const Exception* originals[] = {&check, &result_code};
    for (const Exception* original : originals) {
        try {
            original->Rethrow();
        } catch (const Exception& caught) {
            EXPECT_EQ(typeid(caught), typeid(*original));
            EXPECT_EQ(caught.Detail(), original->Detail());
            EXPECT_EQ(original->Detail()->ReferenceCount(), 2u);
        }
        EXPECT_EQ(original->Detail()->ReferenceCount(), 1u);
    }
}

TEST(ExceptionTest, CloneGivesAHeapCopyOfTheMostDerivedClassSharingTheDetail) {
    const CheckResultFailedException check(results::kAccessDenied, "file", 3);
    const Exception& as_base = check;
    std::unique_ptr<Exception> clone = as_base.Clone();
    const Exception& cloned = *clone;
    EXPECT_EQ(typeid(cloned), typeid(CheckResultFailedException));
    EXPECT_EQ(clone->Detail(), check.Detail());
    EXPECT_EQ(check.Detail()->ReferenceCount(), 2u);
    EXPECT_STREQ(clone->File(), "file");
    EXPECT_EQ(ResultOf(*clone), results::kAccessDenied);
    clone.reset();
    EXPECT_EQ(check.Detail()->ReferenceCount(), 1u);

    PlainException plain;
    const std::unique_ptr<Exception> plain_clone = static_cast<const Exception&>(plain).Clone();
    const Exception& plain_cloned = *plain_clone;
    EXPECT_EQ(typeid(plain_cloned), typeid(PlainException));
}

// The detail and everything in it come from the process heap, so its blocks show whether it
// was freed, and freed only once, whichever copy goes last.
TEST(ExceptionTest, ThrownAndCaughtCopiesFreeTheDetailOnceInEitherOrder) {
    const std::size_t before = ProcessHeapBlocksInUse();
    {
        std::optional<CheckResultFailedException> kept;
        try {
            throw CheckResultFailedException(results::kAccessDenied, "file", 1);
        } catch (const CheckResultFailedException& thrown) {
            kept.emplace(thrown);
            EXPECT_EQ(thrown.Detail()->ReferenceCount(), 2u);
        }
        EXPECT_EQ(kept->Detail()->ReferenceCount(), 1u) << "the thrown object went first";
        EXPECT_GT(ProcessHeapBlocksInUse(), before);
    }
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);

    {
        std::exception_ptr thrown_object;
        try {
            throw CheckResultFailedException(results::kAccessDenied, "file", 1);
        } catch (const CheckResultFailedException& thrown) {
            {
                // A copy is what is tested: it shares the detail.
                // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
                const CheckResultFailedException caught(thrown);
                EXPECT_EQ(caught.Detail()->ReferenceCount(), 2u);
            }
            thrown_object = std::current_exception();
        }
        EXPECT_GT(ProcessHeapBlocksInUse(), before) << "the caught copy went first";
        thrown_object = nullptr;
    }
    EXPECT_EQ(ProcessHeapBlocksInUse(), before);
}

}  // namespace
}  // namespace vrel
