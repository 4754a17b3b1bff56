// The exception a failed result check raises, carrying the code, the source location, the
// call stack and the modules it runs through.
#pragma once

#include "platform/exception.h"

namespace vrel {

class CheckResultFailedException
    : public ExceptionBase<CheckResultFailedException, ResultCodeException> {
public:
    // Gathers the context; any failure on the way (std::bad_alloc) propagates instead, with
    // nothing left behind.
    CheckResultFailedException(Result code, const char* file, int line);

    [[nodiscard]] const char* what() const noexcept override {
        return "CheckResultFailedException";
    }
};

}  // namespace vrel
