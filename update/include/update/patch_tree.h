// A staged patch tree as the update run walks it: every entry below the patch folder, links
// reported and never entered. The walk is pure; the listing of one folder comes from a
// FolderLister, one for POSIX hosts and one for Windows.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tendril {

enum class EntryKind {
    kFile,
    kFolder,
    kLink,   // a symbolic link, or on Windows any reparse point: moved whole, never walked
    kOther,  // a POSIX FIFO, socket or device: nothing Windows can hold
};

// One entry as its folder's listing gives it.
struct ListedEntry {
    // The name's bytes as a POSIX listing gives them, for that lister to find it again.
    std::string native;
    // Its Windows form, U+FFFD for each byte that has none (then `has_windows_form` is false).
    std::u16string name;
    bool has_windows_form = true;
    // Printable UTF-8, on one line.
    std::string shown;
    EntryKind kind = EntryKind::kFile;
    // For a link or other entry: what it is ("symbolic link", "reparse point (tag 0x...)").
    std::string what;
};

// One entry of the walked tree.
struct StagedEntry {
    ListedEntry listed;
    std::string shown;                // relative to the patch folder, '/'-separated
    std::u16string windows;           // relative to the patch folder, '\'-separated
    std::vector<std::string> native;  // each name from the patch folder down, as listed
    std::size_t parent;               // index of the folder it is in, kNoParent at the top
};
inline constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);

class FolderLister {
public:
    virtual ~FolderLister() = default;

    // The entries of the patch folder (`folder` null) or of one of its sub-folders, without
    // "." and "..", in any order; nullopt with `error` set when the folder can't be listed.
    virtual std::optional<std::vector<ListedEntry>> List(const StagedEntry* folder,
                                                         std::string& error) = 0;

    // A path that opens the entry as a file (for the registry script reader), or nullopt when
    // the entry can't be named so.
    virtual std::optional<std::wstring> WidePath(const StagedEntry& entry) const = 0;
};

struct UnlistedFolder {
    std::size_t entry;  // kNoParent: the patch folder itself
    std::string error;
};

struct StagedTree {
    std::vector<StagedEntry> entries;  // depth first, each folder's entries sorted by name
    std::vector<UnlistedFolder> unlisted;
};

// Walks the whole tree. When the patch folder itself can't be listed, `unlisted` holds it
// and `entries` is empty.
StagedTree WalkStagedTree(FolderLister& lister);

#ifdef _WIN32
// The lister of a folder of this system, reached through "\\?\" so that names Windows' path
// parsing would change (a trailing period, a device name) are listed as they are stored.
std::unique_ptr<FolderLister> MakeFolderLister(const std::wstring& root);
#else
// The lister of a host folder; names are bytes, decoded as UTF-8.
std::unique_ptr<FolderLister> MakeFolderLister(const std::string& root);
#endif

}  // namespace tendril
