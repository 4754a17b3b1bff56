// A registry script file held open for reading, without iostreams: on Windows they would
// bring most of the C++ runtime's locale machinery into every image that reads a script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tendril {

class ScriptFile {
public:
    // Opens `path` for reading, leaving other processes free to read and write it. A folder,
    // or a name this system cannot express, leaves the file closed.
    explicit ScriptFile(const std::wstring& path);
    ~ScriptFile();

    ScriptFile(const ScriptFile&) = delete;
    ScriptFile& operator=(const ScriptFile&) = delete;

    [[nodiscard]] bool is_open() const noexcept;

    // Why the file did not open: the system's last error on Windows, errno elsewhere.
    [[nodiscard]] std::uint32_t open_error() const noexcept { return open_error_; }

    // Every byte from the current position on. A read error ends the bytes quietly, like the
    // end of the file.
    std::string ReadAll();

private:
    // What the file holds now, as a first guess of how much there is to read; 0 if unknown.
    [[nodiscard]] std::size_t SizeHint() const noexcept;
    // Up to `size` bytes into `buffer`; 0 at the end of the file or on a read error.
    std::size_t ReadSome(char* buffer, std::size_t size) noexcept;

    std::uint32_t open_error_ = 0;
#ifdef _WIN32
    void* handle_;
#else
    int descriptor_ = -1;
#endif
};

}  // namespace tendril
