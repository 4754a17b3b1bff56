#include "platform/path.h"

#include <gtest/gtest.h>

#include "platform/util/module"
#include "test_support.h"

namespace tendril {
namespace {

TEST(PathMissingTest, ExistingFileAndFolderAreNotMissing) {
    testing::TempFolder folder;
    ASSERT_TRUE(testing::WriteBytes(folder / L"file.txt", "x"));
    EXPECT_EQ(PathMissing(folder.path()), 0);
    EXPECT_EQ(PathMissing(folder / L"file.txt"), 0);
}

TEST(PathMissingTest, MissingFileAndMissingParentAreMissing) {
    testing::TempFolder folder;
    EXPECT_EQ(PathMissing(folder / L"nothing.txt"), 1);
    EXPECT_EQ(PathMissing(folder / L"no-folder\\nothing.txt"), 1);
}

TEST(CurrentModuleFileNameTest, NamesTheRunningExecutable) {
    const WidePath name = vrel::CurrentModuleFileName();
    EXPECT_EQ(ParentPath(name), testing::BuildOutputFolder());
}

}  // namespace
}  // namespace tendril
