// The steps of the patch application that a real file system can't be made to fail or to
// show on demand, driven through the calls the update code takes as parameters.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "update/invalidate_caches.h"
#include "update/move_tree.h"
#include "update/update_log.h"

namespace tendril {
namespace {

using testing::Narrow;

using testing::Exists;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// Which call of the rewrite fails, once, on its first use; every other call is the real one.
enum class Step {
    Open,
    GetSize,
    Read,
    ShortRead,
    OpenCopy,
    Write,
    ShortWrite,
    Flush,
    Close,
    Replace
};

Step g_failing_step;
bool g_failed_once;

bool FailNow(Step step) {
    if (g_failing_step != step || g_failed_once) {
        return false;
    }
    g_failed_once = true;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

// The system's calls are stdcall on x86, which a lambda can't be converted to.
BOOL WINAPI FailingGetSize(HANDLE file, PLARGE_INTEGER size) {
    return FailNow(Step::GetSize) ? FALSE : GetFileSizeEx(file, size);
}

BOOL WINAPI FailingRead(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read,
                        LPOVERLAPPED overlapped) {
    if (FailNow(Step::Read)) {
        return FALSE;
    }
    const bool cut = !g_failed_once && g_failing_step == Step::ShortRead && count > 1;
    if (cut) {
        g_failed_once = true;
        SetLastError(0);
        return ReadFile(file, buffer, count - 1, read, overlapped);
    }
    return ReadFile(file, buffer, count, read, overlapped);
}

BOOL WINAPI FailingWrite(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written,
                         LPOVERLAPPED overlapped) {
    if (FailNow(Step::Write)) {
        return FALSE;
    }
    const bool cut = !g_failed_once && g_failing_step == Step::ShortWrite && count > 1;
    if (cut) {
        g_failed_once = true;
        SetLastError(ERROR_DISK_FULL);
        return WriteFile(file, buffer, count - 1, written, overlapped);
    }
    return WriteFile(file, buffer, count, written, overlapped);
}

BOOL WINAPI FailingFlush(HANDLE file) {
    return FailNow(Step::Flush) ? FALSE : FlushFileBuffers(file);
}

BOOL WINAPI FailingReplace(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return FailNow(Step::Replace) ? FALSE : MoveFileExW(from, to, flags);
}

RewriteCalls FailingCalls() {
    RewriteCalls calls;
    calls.open = [](HandleOwner& file, const WidePath& path, std::uint32_t flags,
                    FileDisposition disposition) -> vrel::Result {
        const Step step =
            disposition == FileDisposition::OpenExisting ? Step::Open : Step::OpenCopy;
        if (FailNow(step)) {
            return vrel::ResultFromWin32Error(ERROR_ACCESS_DENIED);
        }
        return file.OpenFile(path, flags, disposition);
    };
    calls.get_size = FailingGetSize;
    calls.read = FailingRead;
    calls.write = FailingWrite;
    calls.flush = FailingFlush;
    calls.close = [](HandleOwner& file) -> vrel::Result {
        if (FailNow(Step::Close)) {
            // The handle really goes, as a failed CloseHandle leaves nothing to close again.
            (void)file.Close();
            return vrel::ResultFromWin32Error(ERROR_ACCESS_DENIED);
        }
        return file.Close();
    };
    calls.replace = FailingReplace;
    return calls;
}

struct RewriteFailureCase {
    Step step;
    const char* entry;  // what the log says for the first sibling, after its path
};

std::string StepName(const ::testing::TestParamInfo<RewriteFailureCase>& param) {
    static constexpr const char* kNames[] = {"Open",     "GetSize", "Read",       "ShortRead",
                                             "OpenCopy", "Write",   "ShortWrite", "Flush",
                                             "Close",    "Replace"};
    return kNames[static_cast<int>(param.param.step)];
}

class RewriteFailureTest : public ::testing::TestWithParam<RewriteFailureCase> {};

TEST_P(RewriteFailureTest, OriginalStaysByteForByteAndTheOtherSiblingIsStillRewritten) {
    TempFolder install;
    const std::string quillon("MZ quillon \x00\x01\x02 bytes", 20);
    ASSERT_TRUE(WriteBytes(install / L"quillon.exe", quillon));
    ASSERT_TRUE(WriteBytes(install / L"orbisk.exe", "MZ orbisk"));
    g_failing_step = GetParam().step;
    g_failed_once = false;
    {
        UpdateLog log(install / L"logs");
        InvalidateCaches(install.path(), log, FailingCalls());
    }
    EXPECT_TRUE(g_failed_once);
    EXPECT_EQ(ReadBytes(install / L"quillon.exe"), quillon);
    EXPECT_FALSE(Exists(install / L"quillon.exe.new"));
    EXPECT_EQ(ReadBytes(install / L"orbisk.exe"), "MZ orbisk");
    EXPECT_FALSE(Exists(install / L"orbisk.exe.new"));

    const std::string quillon_path = Narrow(install / L"quillon.exe");
    const std::string orbisk_path = Narrow(install / L"orbisk.exe");
    const std::string entry = GetParam().entry;
    const std::size_t quote = entry.find('\'');
    EXPECT_EQ(testing::LogEntries(install / L"logs"),
              (std::vector<std::string>{
                  entry.substr(0, quote + 1) + quillon_path + entry.substr(quote + 1),
                  "Invalidated cache for '" + orbisk_path + "'",
              }));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, RewriteFailureTest,
    ::testing::Values(
        RewriteFailureCase{Step::Open, "Open '' result = 0x80000045, gle = 5"},
        RewriteFailureCase{Step::GetSize, "Get size '' result = 0x80000045, gle = 5"},
        RewriteFailureCase{Step::Read, "Read '' result = 0x80000045, gle = 5"},
        // A short read is no shorter copy: the file's bytes were not all had.
        RewriteFailureCase{Step::ShortRead, "Read '' result = 0x8000005c, gle = 0"},
        RewriteFailureCase{Step::OpenCopy, "Open (2) '' result = 0x80000045, gle = 5"},
        RewriteFailureCase{Step::Write, "Write '' result = 0x80000045, gle = 5"},
        RewriteFailureCase{Step::ShortWrite, "Write '' result = 0x80000062, gle = 112"},
        RewriteFailureCase{Step::Flush, "Flush '' result = 0x80000045, gle = 5"},
        RewriteFailureCase{Step::Close, "Close '' result = 0x80000045, gle = 5"},
        RewriteFailureCase{Step::Replace, "Replace '' result = 0x80000045, gle = 5"}),
    StepName);

// Reports the folder "link" as a reparse point, as a junction would be; everything else is
// the real enumeration.
void MarkLinkAsReparsePoint(WIN32_FIND_DATAW& entry) {
    if (std::wstring_view(entry.cFileName) == L"link") {
        entry.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
}

HANDLE WINAPI FindFirstMarkingLink(LPCWSTR pattern, LPWIN32_FIND_DATAW entry) {
    const HANDLE find = FindFirstFileW(pattern, entry);
    if (find != INVALID_HANDLE_VALUE) {
        MarkLinkAsReparsePoint(*entry);
    }
    return find;
}

BOOL WINAPI FindNextMarkingLink(HANDLE find, LPWIN32_FIND_DATAW entry) {
    const BOOL found = FindNextFileW(find, entry);
    if (found) {
        MarkLinkAsReparsePoint(*entry);
    }
    return found;
}

FolderEnumerationCalls LinkIsAReparsePoint() {
    FolderEnumerationCalls calls;
    calls.find_first = FindFirstMarkingLink;
    calls.find_next = FindNextMarkingLink;
    return calls;
}

// A patch folder and an installation side by side, and the log folder beside them.
class MoveTreeSeamTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(patch.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(install.c_str(), nullptr));
    }

    bool Move(const FolderEnumerationCalls& calls) {
        UpdateLog log(root / L"logs");
        return MoveTree(patch, install, log, calls);
    }

    std::vector<std::string> Entries() const { return testing::LogEntries(root / L"logs"); }

    TempFolder root;
    const std::wstring patch = root / L"patch";
    const std::wstring install = root / L"install";
};

TEST_F(MoveTreeSeamTest, ReparsePointIsMovedAsOneEntryAndNeverWalked) {
    ASSERT_TRUE(CreateDirectoryW((patch + L"\\link").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(patch + L"\\link\\outside.txt", "not ours"));
    EXPECT_TRUE(Move(LinkIsAReparsePoint()));
    // Moved whole, as a file move moves a link: nothing inside it was touched one by one.
    EXPECT_EQ(ReadBytes(install + L"\\link\\outside.txt"), "not ours");
    EXPECT_FALSE(Exists(patch));
    const std::string from = Narrow(patch);
    const std::string to = Narrow(install);
    const std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].substr(0, entries[0].find(", gle = ")),
              "Move file (attributes: 1040) '" + from + "\\link'-> '" + to + "\\link' result = 1");
    EXPECT_EQ(entries[1].substr(0, entries[1].find(", gle = ")),
              "Remove empty directory '" + from + "' result = 0x00000000");
}

// The listing of "deep" fails as a path too long for the system would make it fail.
HANDLE WINAPI FindFirstFailingForDeep(LPCWSTR pattern, LPWIN32_FIND_DATAW entry) {
    if (std::wstring_view(pattern).ends_with(L"\\deep\\*.*")) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstFileW(pattern, entry);
}

FolderEnumerationCalls DeepCannotBeListed() {
    FolderEnumerationCalls calls;
    calls.find_first = FindFirstFailingForDeep;
    return calls;
}

TEST_F(MoveTreeSeamTest, SubFolderThatCannotBeListedKeepsTheTreeIncomplete) {
    ASSERT_TRUE(CreateDirectoryW((patch + L"\\deep").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(patch + L"\\deep\\staged.txt", "staged"));
    // Not "missing, so nothing to move": the folder was just listed.
    EXPECT_FALSE(Move(DeepCannotBeListed()));
    EXPECT_EQ(ReadBytes(patch + L"\\deep\\staged.txt"), "staged");
    const std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], "Failed to enumerate directory '" + Narrow(patch) + "\\deep', gle = 3");
    EXPECT_EQ(entries[1].substr(0, entries[1].find(", gle = ")),
              "Move directory (attributes: 16) '" + Narrow(patch) + "\\deep' -> '" +
                  Narrow(install) + "\\deep' result = 0");
}

}  // namespace
}  // namespace tendril
