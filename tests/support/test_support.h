// Helpers for the Windows-side tests: a temporary installation folder, running a process to
// its end with its full 32-bit exit code, and whole-file reads and writes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tendril::testing {

// The folder of the running test executable; the build puts the launcher and the test
// modules beside it.
std::wstring BuildOutputFolder();

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);

// Starts `exe` with the full `command_line` and waits for it; nullopt when it could not start
// or did not end within the timeout. An empty `exe` takes the program from the command line.
// `process_id`, when given, receives the started process's id.
std::optional<DWORD> RunToExit(const std::wstring& exe, const std::wstring& command_line,
                               const std::wstring& current_folder = L"", DWORD timeout_ms = 60000,
                               DWORD* process_id = nullptr);

bool CopyBuildOutput(const std::wstring& name, const std::wstring& target);
bool WriteBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);

// Type and bytes of a value under HKEY_LOCAL_MACHINE\`key`, or nullopt when it is missing.
std::optional<std::pair<DWORD, std::string>> ReadRegistryValue(const wchar_t* key,
                                                               const wchar_t* name);

// What the recording test module wrote: the command line `Run` received.
std::optional<std::wstring> RecordedCommandLine(const std::wstring& folder);

// Sets LastStart in the view the launcher reads, or removes it when `value` is null.
bool SetLastStart(const DWORD* value);

// A key under HKEY_LOCAL_MACHINE that exists, empty, for the owner's scope.
class ScopedRegistryKey {
public:
    explicit ScopedRegistryKey(std::wstring subkey);
    ~ScopedRegistryKey();
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

    const std::wstring& subkey() const { return subkey_; }
    bool created() const { return created_; }

private:
    std::wstring subkey_;
    bool created_ = false;
};

// Every value of HKEY_LOCAL_MACHINE\`key` by name: its type and bytes.
std::map<std::wstring, std::pair<DWORD, std::string>> RegistryValuesOf(const std::wstring& key);

// Everything below `folder` by its path relative to it: a file with its bytes, a folder as
// its path with a trailing backslash and no bytes.
std::map<std::wstring, std::string> TreeBelow(const std::wstring& folder);

// The paths where two trees differ, for a failure message: missing, extra or other bytes.
std::string TreeDifference(const std::map<std::wstring, std::string>& actual,
                           const std::map<std::wstring, std::string>& expected);

// The size of every file below `folder` by its relative path, read from the enumeration alone.
std::map<std::wstring, std::uint64_t> FileSizesBelow(const std::wstring& folder);

// The entries of every log file in `log_folder`, without their "hh:mm:ss<tab>" times.
std::vector<std::string> LogEntries(const std::wstring& log_folder);
// The entries of one log file's bytes, the same way.
std::vector<std::string> LogEntriesOf(const std::string& log_bytes);

// Each UTF-16 unit cut to its low byte, as the log stores paths of Latin-1 characters.
std::string Narrow(const std::wstring& text);

}  // namespace tendril::testing
