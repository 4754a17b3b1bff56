// The record that all copies of one exception share: message, call stack, modules and
// properties. Copies count their references atomically; the last one frees the record.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/basic_string.h"
#include "platform/compact_text.h"
#include "platform/exception_property.h"
#include "platform/stack_trace.h"
#include "platform/vector.h"

namespace vrel {

class ExceptionDetail {
public:
    // On the process heap, with a count of 1 that the caller owns. Throws std::bad_alloc.
    [[nodiscard]] static ExceptionDetail* Create();

    void AddRef() noexcept;
    void Release() noexcept;
    [[nodiscard]] std::uint32_t ReferenceCount() const noexcept { return references_.load(); }

    ExceptionDetail(const ExceptionDetail&) = delete;
    ExceptionDetail& operator=(const ExceptionDetail&) = delete;

    CompactNarrowText message;
    StackTrace stack;
    ModuleTable modules;
    vector<ExceptionProperty> properties;
    narrow_string_t furtherText;  // part of the framework's record; nothing here fills it

private:
    ExceptionDetail() = default;
    ~ExceptionDetail() = default;

    std::atomic<std::uint32_t> references_{1};
};

// An exception's counted reference to its detail; null until first needed.
// One by-value operator= (copy and swap) is both the copy and the move assignment.
class DetailReference {  // NOLINT(cppcoreguidelines-special-member-functions)
public:
    DetailReference() noexcept = default;
    // Takes over the reference that `detail` was created with.
    explicit DetailReference(ExceptionDetail* detail) noexcept : detail_(detail) {}
    DetailReference(const DetailReference& other) noexcept : detail_(other.detail_) {
        if (detail_ != nullptr) {
            detail_->AddRef();
        }
    }
    DetailReference(DetailReference&& other) noexcept
        : detail_(std::exchange(other.detail_, nullptr)) {}
    DetailReference& operator=(DetailReference other) noexcept {
        std::swap(detail_, other.detail_);
        return *this;
    }
    ~DetailReference() {
        if (detail_ != nullptr) {
            detail_->Release();
        }
    }

    [[nodiscard]] ExceptionDetail* get() const noexcept { return detail_; }

private:
    ExceptionDetail* detail_ = nullptr;
};

}  // namespace vrel
