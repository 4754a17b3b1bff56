// A failed check of the launcher's own file name, raised and caught in a real process: what
// it carries for tracing the failure to code and build afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "debug_record.h"
#include "platform/check_failure.h"
#include "platform/function_tables.h"
#include "platform/util/module"
#include "test_support.h"

namespace vrel {
namespace {

Result NameUnavailable(WidePath&) noexcept {
    return results::kBufferTooSmall;
}

CheckResultFailedException RaiseOwnNameCheck() {
    try {
        (void)CurrentModuleFileName(&NameUnavailable);
    } catch (const CheckResultFailedException& failure) {
        return failure;
    }
    ADD_FAILURE() << "the check did not raise";
    return CheckResultFailedException(results::kBufferTooSmall, "none", 0);
}

std::wstring OwnPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::string Text(const narrow_string_t& text) {
    return std::string(text.data(), text.size());
}

constexpr wchar_t kRecordVariable[] = L"TENDRIL_CAPTURE_RECORD";

// Where a copy of this program started by the test below writes the table's entry for its own
// module; nullopt in an ordinary run.
std::optional<std::wstring> RecordPath() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length =
        GetEnvironmentVariableW(kRecordVariable, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        return std::nullopt;
    }
    path.resize(length);
    return path;
}

TEST(CheckFailureCaptureTest, StackAndModuleTableNameThisProgramWithItsDebugIdentity) {
    const CheckResultFailedException failure = RaiseOwnNameCheck();
    EXPECT_STREQ(failure.what(), "CheckResultFailedException");
    EXPECT_STREQ(failure.File(), "platform\\include\\platform\\util\\module");
    EXPECT_EQ(failure.Line(), 30);
    EXPECT_EQ(ResultOf(failure), results::kBufferTooSmall);
    ASSERT_NE(failure.Detail(), nullptr);
    const ExceptionDetail& detail = *failure.Detail();
    EXPECT_STREQ(detail.message.c_str(), "Expression failed");
    ASSERT_GT(detail.stack.size(), 0u);
    EXPECT_LE(detail.stack.size(), 62u);

    const std::wstring own_path = OwnPath();
    const std::string own_name(own_path.begin() + own_path.find_last_of(L'\\') + 1, own_path.end());
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr));
    const ModuleEntry* own = nullptr;
    for (const ModuleEntry& entry : detail.modules) {
        if (entry.base == base) {
            own = &entry;
        }
    }
    ASSERT_NE(own, nullptr) << "the program's own module is missing from the table";
    EXPECT_EQ(Text(own->fileName), own_name);
    const auto in_file = tendril::testing::DebugRecordInFile(own_path);
    ASSERT_TRUE(in_file.has_value());
    EXPECT_EQ(Text(own->debugIdentity), in_file->identity);
    EXPECT_FALSE(in_file->identity.empty());
    if (const auto record = RecordPath()) {
        ASSERT_TRUE(tendril::testing::WriteBytes(
            *record, Text(own->fileName) + "\t" + Text(own->debugIdentity)));
    }

    // Sorted by base, as a search by address needs.
    const bool sorted =
        std::is_sorted(detail.modules.begin(), detail.modules.end(),
                       [](const ModuleEntry& a, const ModuleEntry& b) { return a.base < b.base; });
    EXPECT_TRUE(sorted);
}

// The same capture in a process whose main module is tendril.exe: this program copied under
// that name, running the test above, which records the entry it found for itself.
TEST(CheckFailureCaptureTest, InTendrilExeTheModuleTableNamesItWithItsDebugIdentity) {
    if (RecordPath()) {
        GTEST_SKIP() << "already the copy";
    }
    const tendril::testing::TempFolder install;
    const std::wstring launcher = install / L"tendril.exe";
    const std::wstring record = install / L"record.txt";
    ASSERT_TRUE(CopyFileW(OwnPath().c_str(), launcher.c_str(), FALSE));
    ASSERT_TRUE(SetEnvironmentVariableW(kRecordVariable, record.c_str()));
    const auto exit_code = tendril::testing::RunToExit(
        launcher, L"tendril.exe --gtest_filter=CheckFailureCaptureTest.StackAndModuleTable*");
    SetEnvironmentVariableW(kRecordVariable, nullptr);
    EXPECT_EQ(exit_code, 0u) << "the capture test failed inside tendril.exe";

    const auto in_file = tendril::testing::DebugRecordInFile(launcher);
    ASSERT_TRUE(in_file.has_value());
    EXPECT_EQ(tendril::testing::ReadBytes(record), "tendril.exe\t" + in_file->identity);
}

TEST(CheckFailureCaptureTest, WithoutStackCaptureTheFailureStillCarriesMessageAndCode) {
    const RtlCaptureStackBackTraceFunction saved = g_ntdllFunctions.RtlCaptureStackBackTrace;
    g_ntdllFunctions.RtlCaptureStackBackTrace = nullptr;
    const CheckResultFailedException failure = RaiseOwnNameCheck();
    g_ntdllFunctions.RtlCaptureStackBackTrace = saved;

    ASSERT_NE(failure.Detail(), nullptr);
    EXPECT_EQ(failure.Detail()->stack.size(), 0u);
    EXPECT_EQ(failure.Detail()->modules.size(), 0u);
    EXPECT_STREQ(failure.Detail()->message.c_str(), "Expression failed");
    EXPECT_EQ(ResultOf(failure), results::kBufferTooSmall);
    EXPECT_EQ(failure.Line(), 30);
}

}  // namespace
}  // namespace vrel
