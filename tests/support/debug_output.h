// What processes write with OutputDebugString while no debugger is attached, read as DebugView
// reads it: through the DBWIN_BUFFER section and its DBWIN_BUFFER_READY and DBWIN_DATA_READY
// events. (Debugging a 32-bit process with WaitForDebugEvent does not work under Wine's WoW64
// mode: the debuggee faults at its start.) One reader at a time per session.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tendril::testing {

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    // False when the section or its events could not be made, or another reader has them.
    [[nodiscard]] bool ready() const { return ready_; }

    // The strings process `process_id` has written so far, in order, each as written.
    [[nodiscard]] std::vector<std::string> Of(DWORD process_id) const;

private:
    void Read();

    HANDLE buffer_ready_ = nullptr;
    HANDLE data_ready_ = nullptr;
    HANDLE section_ = nullptr;
    const char* view_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<DWORD, std::vector<std::string>> strings_;
    std::thread reader_;
};

}  // namespace tendril::testing
