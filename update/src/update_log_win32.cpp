#include "update/update_log.h"

#include <ctime>
#include <stdexcept>

#include "platform/file_system_calls.h"
#include "update/log_format.h"

namespace tendril {
namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

}  // namespace

UpdateLog::UpdateLog(const WidePath& log_folder) {
    if (PathMissing(log_folder) != 0) {
        g_fileSystemCalls.create_directory(SystemPath(log_folder).c_str(), nullptr);
    }
    const std::tm date = LocalNow();
    const WidePath path =
        JoinPath(log_folder, UpdateLogFileName(date.tm_year + 1900, date.tm_mon + 1, date.tm_mday));
    // Append-only access: every write lands at the current end, whoever else writes.
    const HANDLE file =
        g_fileSystemCalls.create_file(SystemPath(path).c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("Failed to open logger stream");
    }
    file_.reset(file);
}

UpdateLog::~UpdateLog() {
    Flush();
}

UpdateLog& UpdateLog::Timestamp() {
    const std::tm now = LocalNow();
    return Wide(FormatLogTimestamp(now.tm_hour, now.tm_min, now.tm_sec));
}

UpdateLog& UpdateLog::Wide(std::wstring_view text) {
    AppendWide(pending_, text);
    return *this;
}

UpdateLog& UpdateLog::Narrow(std::string_view text) {
    AppendNarrow(pending_, text);
    return *this;
}

UpdateLog& UpdateLog::Result(vrel::Result code) {
    AppendResult(pending_, code);
    return *this;
}

UpdateLog& UpdateLog::Unsigned(std::uint32_t value) {
    AppendUnsigned(pending_, value);
    return *this;
}

UpdateLog& UpdateLog::Flag(bool value) {
    AppendFlag(pending_, value);
    return *this;
}

// Each entry goes to the file whole, as it ends: a run that is killed still leaves the record
// of every step it took, and another appender's entries never land inside this one.
UpdateLog& UpdateLog::LineEnd() {
    AppendLineEnd(pending_);
    Flush();
    return *this;
}

// A failed write drops only what was pending; the next entries are tried again.
void UpdateLog::Flush() noexcept {
    if (pending_.empty() || file_.empty()) {
        return;
    }
    DWORD written = 0;
    WriteFile(file_.get(), pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr);
    pending_.clear();
}

}  // namespace tendril
