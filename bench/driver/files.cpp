#include "files.h"

#include <windows.h>

#include <stdexcept>

namespace tendril::bench {

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
    if (!testing::WriteBytes(path, bytes)) {
        throw std::runtime_error("cannot write " + Narrow(path));
    }
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

}  // namespace tendril::bench
