#include "platform/path.h"

#include <gtest/gtest.h>

namespace tendril {
namespace {

struct ParentCase {
    const wchar_t* input;
    const wchar_t* parent;
};

TEST(ParentPathTest, FollowsTheSeparatorAndDriveRules) {
    const ParentCase cases[] = {
        {L"C:\\Dir\\Sub\\app.exe", L"C:\\Dir\\Sub"},
        {L"C:\\app.exe", L"C:\\"},
        {L"C:app.exe", L"C:"},
        {L"C:", L"C:"},
        {L"C:\\Dir\\", L"C:\\Dir"},
        {L"app.exe", L""},
        {L"\\app.exe", L"\\"},
        {L"\\\\server\\share\\app.exe", L"\\\\server\\share"},
        {L"C:\\Dir\\\\app.exe", L"C:\\Dir\\"},
        {L"C:/Dir/Sub/app.exe", L"C:/Dir/Sub"},
        {L"C:/app.exe", L"C:/"},
        {L"", L""},
        {L"a", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParentPath(c.input), std::wstring_view(c.parent))
            << "input " << testing::PrintToString(std::wstring(c.input));
    }
}

TEST(ParentPathTest, IsAViewIntoTheInput) {
    const std::wstring path = L"C:\\Dir\\app.exe";
    EXPECT_EQ(ParentPath(path).data(), path.data());
}

struct AppendCase {
    const wchar_t* path;
    const wchar_t* name;
    const wchar_t* result;
};

TEST(AppendPathTest, PutsOneBackslashBetweenUnlessOneIsThere) {
    const AppendCase cases[] = {
        {L"C:\\Dir", L"patch", L"C:\\Dir\\patch"},
        {L"C:\\", L"patch", L"C:\\patch"},
        {L"C:\\Dir/", L"patch", L"C:\\Dir/patch"},
        {L"", L"ulmo.dll", L"ulmo.dll"},
        {L"C:\\Dir", L"", L"C:\\Dir"},
        {L"", L"", L""},
        {L"C:\\Dir", L"\\x", L"C:\\Dir\\\\x"},  // the name is not inspected
        {L"C:", L"ulmo.dll", L"C:\\ulmo.dll"},
        {L"C:\\Dir", L"*.*", L"C:\\Dir\\*.*"},
    };
    for (const auto& c : cases) {
        WidePath path = c.path;
        AppendPath(path, c.name);
        EXPECT_EQ(path, c.result) << testing::PrintToString(std::wstring(c.path)) << " + "
                                  << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(JoinPath(c.path, c.name), c.result);
    }
}

TEST(JoinPathTest, LeavesTheBaseUnchanged) {
    const WidePath base = L"C:\\";
    EXPECT_EQ(JoinPath(base, L"patch"), L"C:\\patch");
    EXPECT_EQ(base, L"C:\\");
}

struct ExtendedCase {
    const wchar_t* plain;
    const wchar_t* extended;
};

TEST(ExtendedLengthPathTest, NormalisesAsTheSystemWouldAndKeepsTheRoot) {
    const ExtendedCase cases[] = {
        {L"C:\\Dir\\file.txt", L"\\\\?\\C:\\Dir\\file.txt"},
        {L"C:/Dir/Sub/file.txt", L"\\\\?\\C:\\Dir\\Sub\\file.txt"},
        {L"C:\\Dir\\\\Sub\\", L"\\\\?\\C:\\Dir\\Sub"},
        {L"C:\\Dir\\.\\Sub\\..\\file", L"\\\\?\\C:\\Dir\\file"},
        {L"C:\\..\\..\\file", L"\\\\?\\C:\\file"},  // never above the root
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"C:\\Dir\\name.\\file", L"\\\\?\\C:\\Dir\\name\\file"},
        {L"C:\\Dir\\name..\\file", L"\\\\?\\C:\\Dir\\name..\\file"},
        {L"C:\\Dir\\trail. . ", L"\\\\?\\C:\\Dir\\trail"},
        {L"C:\\Dir\\...", L"\\\\?\\C:\\Dir"},
        {L"\\\\server\\share\\Dir\\file", L"\\\\?\\UNC\\server\\share\\Dir\\file"},
        {L"//server/share/../../file", L"\\\\?\\UNC\\server\\share\\file"},
        {L"\\\\server\\share", L"\\\\?\\UNC\\server\\share\\"},
        // No extended form: left to the system as they are.
        {L"\\\\?\\C:\\Dir\\.\\x", L"\\\\?\\C:\\Dir\\.\\x"},
        {L"\\\\.\\pipe\\name", L"\\\\.\\pipe\\name"},
        {L"//./C:/x/../y", L"//./C:/x/../y"},
        {L"relative\\file", L"relative\\file"},
        {L"C:file", L"C:file"},
        {L"/:\\x", L"/:\\x"},  // no drive letter
        {L"\\rooted\\file", L"\\rooted\\file"},
        {L"\\\\server", L"\\\\server"},
        {L"\\\\server\\", L"\\\\server\\"},
        {L"\\\\server\\..\\x", L"\\\\server\\..\\x"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtendedLengthPath(c.plain), c.extended)
            << testing::PrintToString(std::wstring(c.plain));
    }
}

TEST(SystemPathTest, OnlyPathsThatReachTheLimitChangeForm) {
    const std::wstring folder = L"C:\\" + std::wstring(kPlainPathLimit - 5, L'a');
    const std::wstring short_path = folder + L"/";  // one unit below the limit
    ASSERT_EQ(short_path.size(), kPlainPathLimit - 1);
    EXPECT_EQ(SystemPath(short_path), short_path) << "a short path goes as it is, \"/\" kept";
    const std::wstring at_limit = folder + L"\\b";
    ASSERT_EQ(at_limit.size(), kPlainPathLimit);
    EXPECT_EQ(SystemPath(at_limit), L"\\\\?\\" + at_limit);
    const std::wstring deep = L"C:\\" + std::wstring(400, L'd') + L"\\.\\f";
    EXPECT_EQ(SystemPath(deep), L"\\\\?\\C:\\" + std::wstring(400, L'd') + L"\\f");
}

}  // namespace
}  // namespace tendril
