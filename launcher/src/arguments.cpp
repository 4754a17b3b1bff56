#include "launcher/arguments.h"

#include <cwchar>

namespace tendril {

void RunAtUpdateSwitch(int argc, const wchar_t* const* argv,
                       const std::function<void()>& run_pending_updates) {
    if (argv == nullptr) {
        return;
    }
    for (int i = 0; i < argc; ++i) {
        if (argv[i] != nullptr && std::wcscmp(argv[i], L"-r") == 0) {
            run_pending_updates();
            return;
        }
    }
}

}  // namespace tendril
