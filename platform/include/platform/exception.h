// The framework's exception tree. Every class is a std::exception, so handlers that catch
// `const std::exception&` and log what() treat them like standard errors.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>

#include "platform/basic_string.h"
#include "platform/exception_detail.h"
#include "platform/result.h"

namespace vrel {

class exception : public std::exception {
public:
    exception() noexcept = default;
    // `file` is static text; it is not copied.
    exception(const char* file, int line) noexcept : file_(file), line_(line) {}

    // The detail's message, or "Unknown exception" when there is no detail.
    [[nodiscard]] const char* what() const noexcept override;

    [[nodiscard]] const char* File() const noexcept { return file_; }
    [[nodiscard]] int Line() const noexcept { return line_; }
    // Shared by every copy; null until a constructor or SetResult needs one.
    [[nodiscard]] ExceptionDetail* Detail() const noexcept { return detail_.get(); }
    // Throws std::bad_alloc when a new detail finds no memory.
    ExceptionDetail& EnsureDetail();

private:
    const char* file_ = nullptr;
    std::int32_t line_ = 0;
    DetailReference detail_;
};

class Exception : public exception {
public:
    using exception::exception;

    [[nodiscard]] virtual wide_string_t Description() const { return contextText_; }
    // Throws a copy of the most-derived class.
    [[noreturn]] virtual void Rethrow() const = 0;
    // A heap copy of the most-derived class; it shares the detail.
    [[nodiscard]] virtual std::unique_ptr<Exception> Clone() const = 0;

    [[nodiscard]] wide_string_t& ContextText() noexcept { return contextText_; }
    [[nodiscard]] const wide_string_t& ContextText() const noexcept { return contextText_; }

private:
    wide_string_t contextText_;
};

// Sits between a class and its base to give Rethrow and Clone the most-derived type.
template <typename Derived, typename Base>
class ExceptionBase : public Base {
public:
    using Base::Base;

    [[noreturn]] void Rethrow() const override {
        throw Derived(static_cast<const Derived&>(*this));
    }
    [[nodiscard]] std::unique_ptr<Exception> Clone() const override {
        return std::make_unique<Derived>(static_cast<const Derived&>(*this));
    }
};

class ResultCodeException : public ExceptionBase<ResultCodeException, Exception> {
public:
    using ExceptionBase::ExceptionBase;

    [[nodiscard]] const char* what() const noexcept override { return "ResultCodeException"; }
    // The context text, ": " when there is one, then e.g. "0x80000045 (Access denied)".
    [[nodiscard]] wide_string_t Description() const override;
};

// The code in the "vrel.result" property, else the mapped "os.result" error, else
// 0x80000151. A property of the right name and the wrong type counts as absent.
[[nodiscard]] Result ResultOf(const exception& error) noexcept;
// Keeps one "vrel.result" property. Throws std::bad_alloc or std::length_error.
void SetResult(exception& error, Result code);

}  // namespace vrel
