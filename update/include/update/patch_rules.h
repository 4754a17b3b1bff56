// What Windows does with the entries of a staged patch tree: the rules `patch-check` applies
// before a tree ships. Names are UTF-16, as Windows stores them. The rules are those of
// Microsoft's "Naming Files, Paths, and Namespaces"
// (https://learn.microsoft.com/windows/win32/fileio/naming-a-file); each cites its section.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tendril {

// One UTF-16 unit upper-cased as a volume's upcase table does: a simple one-to-one mapping,
// unit by unit, no normalisation (see windows_upcase.cpp for what it covers).
char16_t UpcaseUnit(char16_t unit) noexcept;

// Two names are one to Windows when their keys are equal.
std::u16string NameKey(std::u16string_view name);

inline constexpr std::size_t kMaxNameLength = 255;
inline constexpr std::size_t kMaxPath = 260;

enum class NameProblem {
    kReservedDeviceName,  // subject: the device, upper case ("AUX", "COM¹")
    kForbiddenCharacter,  // subject: the character
    kControlCharacter,    // subject: the character
    kTrailingPeriod,
    kTrailingSpace,
    kTooLong,  // length: the name's UTF-16 units
};

struct NameFinding {
    NameProblem problem;
    std::u16string subject;
    std::size_t length = 0;

    bool operator==(const NameFinding&) const = default;
};

// Every rule the name breaks: the device name first, then each offending character once, in
// order of its first appearance, then the trailing period or space, then the length.
std::vector<NameFinding> CheckName(std::u16string_view name);

// What Windows does with an entry of that name, as a finding's message.
std::string DescribeNameFinding(const NameFinding& finding);

// The length in UTF-16 units of the path an entry gets in the installation: the root, one
// backslash unless the root already ends in a separator, the relative path.
std::size_t TargetPathLength(std::u16string_view install_root, std::u16string_view relative);

// A path this long does not fit MAX_PATH with its terminating null.
[[nodiscard]] constexpr bool ReachesMaxPath(std::size_t length) noexcept {
    return length >= kMaxPath;
}
std::string DescribeMaxPath(std::size_t length);

// Entries of one tree whose relative paths (backslash-separated) are one path to Windows:
// each group holds two or more indices into `paths`, in input order; groups are ordered by
// their first index.
std::vector<std::vector<std::size_t>> SamePathGroups(const std::vector<std::u16string>& paths);

enum class SamePathKind { kFiles, kFolders, kFileAndFolder };
// The message for the first entry of a group; `others` names the rest.
std::string DescribeSamePath(SamePathKind kind, std::string_view others);

// The previous release's file list: one path relative to the installation a line, a folder
// ending in '/' ('\' is read as a separator too). A file's folders are folders too.
class InstalledListing {
public:
    // Adds the listing's lines; false when a line is not UTF-8, with `error` naming it.
    bool Parse(std::string_view text, std::string& error);

    bool HasFile(std::u16string_view relative) const;
    bool HasFolder(std::u16string_view relative) const;

private:
    std::set<std::u16string> files_;
    std::set<std::u16string> folders_;
};

enum class InstalledConflict { kNone, kFileWhereFolder, kFolderWhereFile };
InstalledConflict FindInstalledConflict(const InstalledListing& installed,
                                        std::u16string_view relative, bool staged_folder);
std::string DescribeInstalledConflict(InstalledConflict conflict);

}  // namespace tendril
