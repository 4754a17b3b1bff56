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

}  // namespace
}  // namespace tendril
