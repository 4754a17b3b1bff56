#include "debug_output.h"

#include <cstring>

namespace tendril::testing {
namespace {

// The section holds the writer's process id, then its NUL-terminated text.
constexpr DWORD kSectionSize = 4096;

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
    buffer_ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    const bool first_reader = GetLastError() != ERROR_ALREADY_EXISTS;
    data_ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    section_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSectionSize,
                                  L"DBWIN_BUFFER");
    if (section_ != nullptr) {
        view_ = static_cast<const char*>(MapViewOfFile(section_, FILE_MAP_READ, 0, 0, 0));
    }
    ready_ = first_reader && buffer_ready_ != nullptr && data_ready_ != nullptr && view_ != nullptr;
    if (ready_) {
        reader_ = std::thread([this] { Read(); });
    }
}

DebugOutputCapture::~DebugOutputCapture() {
    stop_ = true;
    if (reader_.joinable()) {
        reader_.join();
    }
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
    }
    for (const HANDLE handle : {section_, data_ready_, buffer_ready_}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
}

std::vector<std::string> DebugOutputCapture::Of(DWORD process_id) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = strings_.find(process_id);
    return found == strings_.end() ? std::vector<std::string>() : found->second;
}

void DebugOutputCapture::Read() {
    SetEvent(buffer_ready_);
    while (!stop_) {
        if (WaitForSingleObject(data_ready_, 50) != WAIT_OBJECT_0) {
            continue;
        }
        DWORD process_id = 0;
        std::memcpy(&process_id, view_, sizeof(process_id));
        const char* text = view_ + sizeof(process_id);
        const std::string string(text, strnlen(text, kSectionSize - sizeof(process_id)));
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            strings_[process_id].push_back(string);
        }
        SetEvent(buffer_ready_);
    }
}

}  // namespace tendril::testing
