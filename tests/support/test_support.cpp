#include "test_support.h"

#include <cstdio>
#include <vector>

namespace tendril::testing {

std::wstring BuildOutputFolder() {
    std::wstring name(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    name.resize(n);
    return name.substr(0, name.find_last_of(L"\\/"));
}

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(temp) + L"tendril-test-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) {
            break;
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW entry;
        const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = entry.cFileName;
                if (name != L"." && name != L"..") {
                    RemoveTree(path + L"\\" + name);
                }
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(path.c_str());
        return;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

std::optional<DWORD> RunToExit(const std::wstring& exe, const std::wstring& command_line,
                               const std::wstring& current_folder, DWORD timeout_ms,
                               DWORD* process_id) {
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.empty() ? nullptr : exe.c_str(), line.data(), nullptr, nullptr, FALSE,
                        0, nullptr, current_folder.empty() ? nullptr : current_folder.c_str(),
                        &startup, &process)) {
        std::fprintf(stderr, "CreateProcessW failed, gle = %lu\n", GetLastError());
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    if (process_id != nullptr) {
        *process_id = process.dwProcessId;
    }
    std::optional<DWORD> exit_code;
    const DWORD waited = WaitForSingleObject(process.hProcess, timeout_ms);
    if (waited == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) {
            exit_code = code;
        } else {
            std::fprintf(stderr, "GetExitCodeProcess failed, gle = %lu\n", GetLastError());
        }
    } else {
        std::fprintf(stderr, "no exit within %lu ms (wait result %lu)\n", timeout_ms, waited);
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return exit_code;
}

bool CopyBuildOutput(const std::wstring& name, const std::wstring& target) {
    return CopyFileW((BuildOutputFolder() + L"\\" + name).c_str(), target.c_str(), FALSE) != 0;
}

bool WriteBytes(const std::wstring& path, std::string_view bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::pair<DWORD, std::string>> ReadRegistryValue(const wchar_t* key,
                                                               const wchar_t* name) {
    DWORD type = 0;
    BYTE data[512];
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::make_pair(type, std::string(reinterpret_cast<char*>(data), size));
}

std::optional<std::wstring> RecordedCommandLine(const std::wstring& folder) {
    const auto bytes = ReadBytes(folder + L"\\run.txt");
    if (!bytes) {
        return std::nullopt;
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()),
                        bytes->size() / sizeof(wchar_t));
}

bool SetLastStart(const DWORD* value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VelmoraLab\\Tendril23.0\\data", 0, nullptr,
                        0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status =
        value == nullptr ? RegDeleteValueW(key, L"LastStart")
                         : RegSetValueExW(key, L"LastStart", 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(value), sizeof(*value));
    RegCloseKey(key);
    return status == ERROR_SUCCESS || (value == nullptr && status == ERROR_FILE_NOT_FOUND);
}

ScopedRegistryKey::ScopedRegistryKey(std::wstring subkey) : subkey_(std::move(subkey)) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, subkey_.c_str());
    HKEY key = nullptr;
    created_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (created_) {
        RegCloseKey(key);
    }
}

ScopedRegistryKey::~ScopedRegistryKey() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, subkey_.c_str());
}

std::map<std::wstring, std::pair<DWORD, std::string>> RegistryValuesOf(const std::wstring& key) {
    std::map<std::wstring, std::pair<DWORD, std::string>> values;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return values;
    }
    std::wstring name(16384, L'\0');
    std::string data(1 << 16, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD name_size = static_cast<DWORD>(name.size());
        DWORD data_size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LSTATUS status = RegEnumValueW(handle, index, name.data(), &name_size, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &data_size);
        if (status == ERROR_MORE_DATA) {
            data.resize(data_size);
            name_size = static_cast<DWORD>(name.size());
            status = RegEnumValueW(handle, index, name.data(), &name_size, nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &data_size);
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        values[name.substr(0, name_size)] = {type, data.substr(0, data_size)};
    }
    RegCloseKey(handle);
    return values;
}

namespace {

// Calls `visit` with the relative path and find data of every entry below `folder`, parents
// before their contents.
template <typename Visit>
void VisitTree(const std::wstring& folder, const std::wstring& relative, const Visit& visit) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        visit(relative + name, entry);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            VisitTree(folder + L"\\" + name, relative + name + L"\\", visit);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

}  // namespace

std::map<std::wstring, std::string> TreeBelow(const std::wstring& folder) {
    std::map<std::wstring, std::string> tree;
    VisitTree(folder, L"", [&](const std::wstring& path, const WIN32_FIND_DATAW& entry) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path + L"\\"];
        } else {
            tree[path] = ReadBytes(folder + L"\\" + path).value_or("<unreadable>");
        }
    });
    return tree;
}

std::string TreeDifference(const std::map<std::wstring, std::string>& actual,
                           const std::map<std::wstring, std::string>& expected) {
    std::string text;
    for (const auto& [path, bytes] : expected) {
        const auto at = actual.find(path);
        if (at == actual.end()) {
            text += "\n  missing: " + Narrow(path);
        } else if (at->second != bytes) {
            text += "\n  other bytes (" + std::to_string(at->second.size()) + " instead of " +
                    std::to_string(bytes.size()) + "): " + Narrow(path);
        }
    }
    for (const auto& [path, bytes] : actual) {
        if (!expected.count(path)) {
            text += "\n  extra: " + Narrow(path);
        }
    }
    return text;
}

std::map<std::wstring, std::uint64_t> FileSizesBelow(const std::wstring& folder) {
    std::map<std::wstring, std::uint64_t> sizes;
    VisitTree(folder, L"", [&](const std::wstring& path, const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            sizes[path] =
                (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        }
    });
    return sizes;
}

std::vector<std::string> LogEntriesOf(const std::string& log_bytes) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t end; (end = log_bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = log_bytes.substr(start, end - start);
        entries.push_back(line.size() >= 9 && line[8] == '\t' ? line.substr(9) : line);
    }
    return entries;
}

std::vector<std::string> LogEntries(const std::wstring& log_folder) {
    std::vector<std::string> entries;
    for (const auto& [name, bytes] : TreeBelow(log_folder)) {
        if (name.size() < 4 || name.substr(name.size() - 4) != L".log") {
            continue;
        }
        const std::vector<std::string> of_file = LogEntriesOf(bytes);
        entries.insert(entries.end(), of_file.begin(), of_file.end());
    }
    return entries;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace tendril::testing
