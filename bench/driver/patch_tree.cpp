#include "patch_tree.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "files.h"

namespace tendril::bench {
namespace {

std::wstring FolderName(int folder) {
    wchar_t name[16];
    std::swprintf(name, 16, L"d%03d", folder);
    return name;
}

std::wstring FileName(int file) {
    wchar_t name[16];
    std::swprintf(name, 16, L"f%02d.txt", file);
    return name;
}

int CountFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    do {
        count += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return count;
}

}  // namespace

void StagePatchTree(const PatchTree& tree) {
    MakeFolder(tree.patch);
    for (int folder = 0; folder < tree.folders; ++folder) {
        const std::wstring path = tree.patch + L"\\" + FolderName(folder);
        MakeFolder(path);
        for (int file = 0; file < tree.files_per_folder; ++file) {
            char text[64];
            const int length =
                std::snprintf(text, sizeof text, "staged file %d of folder %d\r\n", file, folder);
            WriteWholeFile(path + L"\\" + FileName(file), std::string_view(text, length));
        }
    }
}

void RestagePatchTree(const PatchTree& tree) {
    if (Exists(tree.patch)) {
        return;
    }
    MakeFolder(tree.patch);
    for (int folder = 0; folder < tree.folders; ++folder) {
        const std::wstring from = tree.install + L"\\" + FolderName(folder);
        const std::wstring to = tree.patch + L"\\" + FolderName(folder);
        if (!MoveFileExW(from.c_str(), to.c_str(), 0)) {
            throw std::runtime_error("cannot restage " + Narrow(from));
        }
    }
}

bool PatchTreeMoved(const PatchTree& tree) {
    if (Exists(tree.patch)) {
        return false;
    }
    for (int folder = 0; folder < tree.folders; ++folder) {
        if (CountFiles(tree.install + L"\\" + FolderName(folder)) != tree.files_per_folder) {
            return false;
        }
    }
    return true;
}

}  // namespace tendril::bench
