// The exception a failed result check raises.
#pragma once

#include <exception>

#include "platform/result.h"

namespace vrel {

class CheckResultFailedException : public std::exception {
public:
    CheckResultFailedException(Result code, const char* file, int line) noexcept
        : code_(code), file_(file), line_(line) {}

    [[nodiscard]] const char* what() const noexcept override {
        return "CheckResultFailedException";
    }
    [[nodiscard]] Result result() const noexcept { return code_; }
    [[nodiscard]] const char* file() const noexcept { return file_; }
    [[nodiscard]] int line() const noexcept { return line_; }

private:
    Result code_;
    const char* file_;
    int line_;
};

}  // namespace vrel
