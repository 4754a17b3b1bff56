#include "platform/exception.h"

#include <cstring>
#include <string_view>

namespace vrel {
namespace {

constexpr std::string_view kResultProperty = "vrel.result";
constexpr std::string_view kSystemErrorProperty = "os.result";
constexpr std::uint32_t kResultTypeIdentity = 0x2B193A6F;

const ExceptionProperty* FindProperty(const vector<ExceptionProperty>& properties,
                                      std::string_view name) noexcept {
    for (const ExceptionProperty& property : properties) {
        if (property.Name() == name) {
            return &property;
        }
    }
    return nullptr;
}

void AppendNarrow(wide_string_t& text, std::string_view narrow) {
    text.append_narrow(narrow.data(), static_cast<wide_string_t::size_type>(narrow.size()));
}

}  // namespace

const char* exception::what() const noexcept {
    const ExceptionDetail* detail = Detail();
    return detail != nullptr ? detail->message.c_str() : "Unknown exception";
}

ExceptionDetail& exception::EnsureDetail() {
    if (detail_.get() == nullptr) {
        detail_ = DetailReference(ExceptionDetail::Create());
    }
    return *detail_.get();
}

wide_string_t ResultCodeException::Description() const {
    wide_string_t text(ContextText());
    if (!text.empty()) {
        AppendNarrow(text, ": ");
    }
    const auto bits = static_cast<std::uint32_t>(ResultOf(*this));
    char hex[] = "0x00000000";
    for (int digit = 0; digit < 8; ++digit) {
        hex[9 - digit] = "0123456789abcdef"[(bits >> (4 * digit)) & 0xF];
    }
    AppendNarrow(text, hex);
    AppendNarrow(text, " (");
    AppendNarrow(text, ResultMessage(ResultOf(*this)));
    AppendNarrow(text, ")");
    return text;
}

Result ResultOf(const exception& error) noexcept {
    const ExceptionDetail* detail = error.Detail();
    if (detail == nullptr) {
        return results::kNoResultCode;
    }
    const ExceptionProperty* result = FindProperty(detail->properties, kResultProperty);
    if (result != nullptr && result->value.Type() == property_types::kResult) {
        return static_cast<Result>(result->value.Bits());
    }
    const ExceptionProperty* system_error = FindProperty(detail->properties, kSystemErrorProperty);
    if (system_error != nullptr && system_error->value.Type() == property_types::kSystemError) {
        return ResultFromWin32Error(system_error->value.Bits());
    }
    return results::kNoResultCode;
}

void SetResult(exception& error, Result code) {
    ExceptionDetail& detail = error.EnsureDetail();
    PropertyValue value(property_types::kResult, static_cast<std::uint32_t>(code));
    for (ExceptionProperty& property : detail.properties) {
        if (property.Name() == kResultProperty) {
            property.value = std::move(value);
            return;
        }
    }
    detail.properties.emplace_back(kResultProperty, std::move(value), kResultTypeIdentity);
}

}  // namespace vrel
