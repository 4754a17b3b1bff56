#include "update/patch_tree.h"

#include <windows.h>

#include <cstdio>

#include "platform/path.h"
#include "update/name_text.h"
#include "win32_helpers.h"

namespace tendril {
namespace {

std::string ErrorText(DWORD error) {
    std::string text = "Windows error " + std::to_string(error);
    wchar_t message[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, message, 512, nullptr);
    while (length > 0 && (message[length - 1] == L'\r' || message[length - 1] == L'\n' ||
                          message[length - 1] == L' ')) {
        --length;
    }
    if (length > 0) {
        text += ": " + ShowUtf16(std::u16string(message, message + length));
    }
    return text;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "\\?\" turns path parsing off: the full path of `root` in that form ("\\?\UNC\" for a
// share), so that entries are reached by the names they are stored under.
std::wstring VerbatimPath(const std::wstring& root) {
    const DWORD size = GetFullPathNameW(root.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return root;
    }
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(root.c_str(), size, full.data(), nullptr));
    return ExtendedLengthPath(full);
}

ListedEntry EntryOf(const WIN32_FIND_DATAW& found) {
    ListedEntry entry;
    entry.name.assign(found.cFileName, found.cFileName + wcslen(found.cFileName));
    entry.shown = ShowUtf16(entry.name);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "0x%08lX", found.dwReserved0);
        entry.kind = EntryKind::kLink;
        entry.what = std::string("reparse point (tag ") + tag + ")";
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        entry.kind = EntryKind::kFolder;
    }
    return entry;
}

class WindowsFolderLister final : public FolderLister {
public:
    explicit WindowsFolderLister(const std::wstring& root) : root_(VerbatimPath(root)) {}

    std::optional<std::vector<ListedEntry>> List(const StagedEntry* folder,
                                                 std::string& error) override {
        const std::wstring path = folder == nullptr ? root_ : PathOf(*folder);
        const std::wstring pattern = path + (path.ends_with(L'\\') ? L"*" : L"\\*");
        WIN32_FIND_DATAW found;
        FindOwner find(FindFirstFileW(pattern.c_str(), &found));
        std::vector<ListedEntry> entries;
        if (find.get() == INVALID_HANDLE_VALUE) {
            // A drive's root has no "." entry: nothing matches when it is empty.
            const DWORD last = GetLastError();
            if (last == ERROR_FILE_NOT_FOUND && IsFolder(path)) {
                return entries;
            }
            error = ErrorText(last);
            return std::nullopt;
        }
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..") {
                entries.push_back(EntryOf(found));
            }
        } while (FindNextFileW(find.get(), &found));
        if (const DWORD last = GetLastError(); last != ERROR_NO_MORE_FILES) {
            error = ErrorText(last);
            return std::nullopt;
        }
        return entries;
    }

    std::optional<std::wstring> WidePath(const StagedEntry& entry) const override {
        return PathOf(entry);
    }

private:
    std::wstring PathOf(const StagedEntry& entry) const {
        return root_ + (root_.ends_with(L'\\') ? L"" : L"\\") +
               std::wstring(entry.windows.begin(), entry.windows.end());
    }

    std::wstring root_;
};

}  // namespace

std::unique_ptr<FolderLister> MakeFolderLister(const std::wstring& root) {
    return std::make_unique<WindowsFolderLister>(root);
}

}  // namespace tendril
