#include "files.h"

#include <windows.h>

#include <stdexcept>

namespace tendril::bench {

std::wstring ProgramFolder() {
    std::wstring name(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    name.resize(length);
    return name.substr(0, name.find_last_of(L'\\'));
}

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        throw std::runtime_error("cannot create " + Narrow(path));
    }
}

void CopyInto(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + Narrow(from) + " to " + Narrow(to));
    }
}

void WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create " + Narrow(path));
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        throw std::runtime_error("cannot write " + Narrow(path));
    }
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (const wchar_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}

}  // namespace tendril::bench
