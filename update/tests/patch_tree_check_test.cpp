// The checker over listings no host folder can give: Windows names, reparse points, listings
// out of order, folders that can't be listed.
#include "patch_tree_check.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "update/name_text.h"

namespace tendril {
namespace {

ListedEntry Entry(std::u16string name, EntryKind kind = EntryKind::kFile, std::string what = {}) {
    ListedEntry entry;
    entry.shown = ShowUtf16(name);
    entry.native = entry.shown;
    entry.name = std::move(name);
    entry.kind = kind;
    entry.what = std::move(what);
    return entry;
}

ListedEntry Folder(std::u16string name) {
    return Entry(std::move(name), EntryKind::kFolder);
}

// Folders by their relative Windows path ("" for the patch folder), listed as given.
class FakeLister final : public FolderLister {
public:
    std::map<std::u16string, std::vector<ListedEntry>> folders;
    std::map<std::u16string, std::string> refused;  // folders that can't be listed, and why
    std::set<std::u16string> listed;

    std::optional<std::vector<ListedEntry>> List(const StagedEntry* folder,
                                                 std::string& error) override {
        const std::u16string path = folder == nullptr ? u"" : folder->windows;
        listed.insert(path);
        if (const auto found = refused.find(path); found != refused.end()) {
            error = found->second;
            return std::nullopt;
        }
        return folders[path];
    }

    std::optional<std::wstring> WidePath(const StagedEntry&) const override { return std::nullopt; }
};

struct Result {
    int exit_code;
    std::string out;
    std::string err;
};

Result Check(FakeLister& lister, const PatchCheckOptions& options = {}) {
    std::ostringstream out;
    std::ostringstream err;
    const int exit_code = CheckPatchTree(lister, "patch", options, out, err);
    return {exit_code, out.str(), err.str()};
}

TEST(PatchTreeCheckTest, CleanTreeHasNoFindings) {
    FakeLister lister;
    lister.folders[u""] = {Entry(u"ulmo.dll"), Folder(u"regupd"), Folder(u"bin")};
    lister.folders[u"bin"] = {Entry(u"quillon.exe"), Folder(u"empty")};
    lister.folders[u"regupd"] = {Entry(u"a.regupd")};
    const Result result = Check(lister);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST(PatchTreeCheckTest, ReportsEveryEntryInNameOrderAndNeverEntersAReparsePoint) {
    FakeLister lister;
    lister.folders[u""] = {Folder(u"z"), Entry(u"Q?.txt"), Folder(u"a."),
                           Entry(u"junction", EntryKind::kLink, "reparse point (tag 0xA0000003)")};
    lister.folders[u"a."] = {Entry(std::u16string(256, u'n')), Entry(u"lone\xD800")};
    lister.folders[u"z"] = {Entry(u"LPT\u00B3.log"), Folder(u"regupd")};
    lister.folders[u"z\\regupd"] = {Entry(u"not-queued.regupd")};
    lister.folders[u"junction"] = {Entry(u"never.txt")};
    const Result result = Check(lister);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(
        result.out,
        "Q?.txt: character '?' is forbidden in names: Windows refuses the name, so the "
        "entry is never moved and the update stays staged\n"
        "a.: name ends in a period: Windows drops it and finds no such entry, so the "
        "entry is never moved and the update stays staged\n"
        "a./" +
            std::string(256, 'n') +
            ": name is 256 UTF-16 units, longer than the 255 Windows allows: Windows "
            "refuses it, so the entry is never moved and the update stays staged\n"
            "junction: reparse point (tag 0xA0000003): the launcher moves it as one entry and "
            "never follows it, so what it points to is not part of the update\n"
            "z/LPT\xC2\xB3.log: LPT\xC2\xB3 is a reserved device name, with any extension: "
            "Windows opens the device instead, so the entry is never moved and the update "
            "stays staged\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(lister.listed.count(u"junction"), 0u);
    EXPECT_EQ(lister.listed.count(u"a."), 1u) << "a folder with a bad name is still checked";
}

TEST(PatchTreeCheckTest, NamesEveryEntryOfAGroupThatIsOneNameToWindows) {
    FakeLister lister;
    lister.folders[u""] = {Entry(u"README.txt"), Entry(u"Readme.txt"), Entry(u"readme.TXT"),
                           Folder(u"Bin"),       Folder(u"bin"),       Entry(u"LIB"),
                           Folder(u"lib"),       Entry(u"\u03A3.txt"), Entry(u"\u03C3.txt")};
    lister.folders[u"Bin"] = {Entry(u"A.dll"), Entry(u"only-here.dll")};
    lister.folders[u"bin"] = {Entry(u"a.DLL")};
    const Result result = Check(lister);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out,
              "Bin: same name on Windows as bin: the folders merge into one\n"
              "Bin/A.dll: same name on Windows as bin/a.DLL: every move succeeds and one file "
              "silently replaces the other\n"
              "LIB: same name on Windows as lib: a file and a folder of one name block each "
              "other, so the update stays staged for good\n"
              "README.txt: same name on Windows as Readme.txt, readme.TXT: every move succeeds "
              "and one file silently replaces the other\n"
              "\xCE\xA3.txt: same name on Windows as \xCF\x83.txt: every move succeeds and one "
              "file silently replaces the other\n");
}

TEST(PatchTreeCheckTest, ReportsTargetPathsFromMaxPathOn) {
    FakeLister lister;
    const std::u16string root = u"C:\\" + std::u16string(240, u'r');  // 243 units
    lister.folders[u""] = {Folder(u"d")};
    // "C:\rrr...\d\" is 246 units: names of 13 and 14 units end at 259 and 260.
    lister.folders[u"d"] = {Entry(u"thirteen-unit"), Entry(u"fourteen-units")};
    PatchCheckOptions options;
    options.install_root = root;
    const Result result = Check(lister, options);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out,
              "d/fourteen-units: target path is 260 UTF-16 units in the installation, reaching "
              "MAX_PATH (260): Windows refuses it unless long paths are enabled, so only "
              "long-path handling in the launcher moves it\n");
}

TEST(PatchTreeCheckTest, ReportsStagedEntriesThatTheInstalledFilesBlock) {
    FakeLister lister;
    lister.folders[u""] = {Entry(u"Data"), Folder(u"ulmo.dll"), Folder(u"lib"), Entry(u"new.txt")};
    lister.folders[u"lib"] = {Entry(u"one.dll")};
    InstalledListing installed;
    std::string error;
    ASSERT_TRUE(installed.Parse("ulmo.dll\ndata/settings.ini\nlib/one.dll\n", error));
    PatchCheckOptions options;
    options.installed = &installed;
    const Result result = Check(lister, options);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out,
              "Data: staged file where the installation has a folder: Windows can't replace a "
              "folder with a file, so the update stays staged for good\n"
              "ulmo.dll: staged folder where the installation has a file: nothing below it can "
              "be moved there, so the update stays staged for good\n");
}

TEST(PatchTreeCheckTest, FolderThatCannotBeListedEndsWithExitCodeTwo) {
    FakeLister lister;
    lister.folders[u""] = {Folder(u"locked"), Entry(u"aux")};
    lister.refused[u"locked"] = "Permission denied";
    Result result = Check(lister);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out,
              "aux: AUX is a reserved device name, with any extension: Windows opens the device "
              "instead, so the entry is never moved and the update stays staged\n");
    EXPECT_EQ(result.err, "patch-check: cannot list folder locked: Permission denied\n");

    lister.refused[u""] = "No such file or directory";
    result = Check(lister);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "patch-check: cannot read folder patch: No such file or directory\n");
}

}  // namespace
}  // namespace tendril
