#include "update/patch_tree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>

#include "update/name_text.h"

namespace tendril {
namespace {

class DirectoryOwner {
public:
    explicit DirectoryOwner(DIR* directory) noexcept : directory_(directory) {}
    ~DirectoryOwner() {
        if (directory_ != nullptr) {
            ::closedir(directory_);
        }
    }
    DirectoryOwner(const DirectoryOwner&) = delete;
    DirectoryOwner& operator=(const DirectoryOwner&) = delete;

    [[nodiscard]] DIR* get() const noexcept { return directory_; }

private:
    DIR* directory_;
};

// What an entry that is neither a file nor a folder is, for its finding.
EntryKind KindOf(mode_t mode, std::string& what) {
    if (S_ISDIR(mode)) {
        return EntryKind::kFolder;
    }
    if (S_ISREG(mode)) {
        return EntryKind::kFile;
    }
    if (S_ISLNK(mode)) {
        what = "symbolic link";
        return EntryKind::kLink;
    }
    what = S_ISFIFO(mode) ? "FIFO" : S_ISSOCK(mode) ? "socket" : "device";
    return EntryKind::kOther;
}

class PosixFolderLister final : public FolderLister {
public:
    explicit PosixFolderLister(std::string root) : root_(std::move(root)) {}

    std::optional<std::vector<ListedEntry>> List(const StagedEntry* folder,
                                                 std::string& error) override {
        const std::string path = folder == nullptr ? root_ : PathOf(*folder);
        DirectoryOwner directory(::opendir(path.c_str()));
        if (directory.get() == nullptr) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        std::vector<ListedEntry> entries;
        for (;;) {
            errno = 0;
            const dirent* found = ::readdir(directory.get());
            if (found == nullptr) {
                break;
            }
            const std::string_view name = found->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            // Never stat through a link: the launcher does not follow it either.
            struct stat status {};
            if (::lstat((path + "/" + std::string(name)).c_str(), &status) != 0) {
                error = ShowHostBytes(name) + ": " + std::strerror(errno);
                return std::nullopt;
            }
            ListedEntry entry;
            entry.native = name;
            entry.has_windows_form = DecodeUtf8(name, entry.name);
            entry.shown = ShowHostBytes(name);
            entry.kind = KindOf(status.st_mode, entry.what);
            entries.push_back(std::move(entry));
        }
        if (errno != 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        return entries;
    }

    std::optional<std::wstring> WidePath(const StagedEntry& entry) const override {
        try {
            // The way back to bytes that the script reader takes, so only UTF-8 names get here.
            return std::filesystem::path(PathOf(entry)).wstring();
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

private:
    std::string PathOf(const StagedEntry& entry) const {
        std::string path = root_;
        for (const std::string& name : entry.native) {
            path += "/" + name;
        }
        return path;
    }

    std::string root_;
};

}  // namespace

std::unique_ptr<FolderLister> MakeFolderLister(const std::string& root) {
    return std::make_unique<PosixFolderLister>(root);
}

}  // namespace tendril
