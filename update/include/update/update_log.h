// The dated update log: the one record of what an update run did. ISO 8859-1 bytes with
// CR LF line ends, always appended, shared with other readers and writers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/owners.h"
#include "platform/path.h"
#include "platform/result.h"

namespace tendril {

class UpdateLog {
public:
    // Creates one missing folder level and opens "patch_Y.M.D.log" for the local date.
    // Throws std::runtime_error("Failed to open logger stream") when the file can't be had.
    explicit UpdateLog(const WidePath& log_folder);
    ~UpdateLog();
    UpdateLog(const UpdateLog&) = delete;
    UpdateLog& operator=(const UpdateLog&) = delete;

    UpdateLog& Timestamp();
    UpdateLog& Wide(std::wstring_view text);
    UpdateLog& Narrow(std::string_view text);
    UpdateLog& Result(vrel::Result code);
    UpdateLog& Unsigned(std::uint32_t value);
    UpdateLog& Flag(bool value);
    UpdateLog& LineEnd();

private:
    void Flush() noexcept;

    HandleOwner file_;
    std::string pending_;
};

}  // namespace tendril
