// A failure that carries the system's error code with it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tendril {

// The code travels with the exception because throwing clears the thread's last error under
// this build's runtime: read after the catch, it would always be 0.
class FailureWithSystemError : public std::runtime_error {
public:
    FailureWithSystemError(const std::string& message, std::uint32_t error)
        : std::runtime_error(message), error_(error) {}

    [[nodiscard]] std::uint32_t error() const noexcept { return error_; }

private:
    std::uint32_t error_;
};

}  // namespace tendril
