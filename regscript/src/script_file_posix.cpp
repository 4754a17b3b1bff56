#include "script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <limits>

namespace tendril {

ScriptFile::ScriptFile(const std::wstring& path) {
    std::string native;
    try {
        native = std::filesystem::path(path).native();
    } catch (const std::exception&) {
        // A name with no form on this system cannot name a file that opens.
        open_error_ = EILSEQ;
        return;
    }
    descriptor_ = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
        open_error_ = static_cast<std::uint32_t>(errno);
        return;
    }
    // A folder can be opened for reading here but is never a script.
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 || S_ISDIR(status.st_mode)) {
        open_error_ = S_ISDIR(status.st_mode) ? EISDIR : static_cast<std::uint32_t>(errno);
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

ScriptFile::~ScriptFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

bool ScriptFile::is_open() const noexcept {
    return descriptor_ >= 0;
}

std::size_t ScriptFile::SizeHint() const noexcept {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
        return 0;
    }
    // Leaves room for the one byte more that ReadAll asks for.
    return static_cast<std::size_t>(std::min<std::uintmax_t>(
        static_cast<std::uintmax_t>(status.st_size), std::numeric_limits<std::size_t>::max() / 2));
}

std::size_t ScriptFile::ReadSome(char* buffer, std::size_t size) noexcept {
    const std::size_t request = std::min<std::size_t>(size, std::size_t{1} << 30);
    for (;;) {
        const ssize_t read = ::read(descriptor_, buffer, request);
        if (read >= 0) {
            return static_cast<std::size_t>(read);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

}  // namespace tendril
