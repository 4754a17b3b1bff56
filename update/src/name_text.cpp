#include "update/name_text.h"

#include <cstdint>
#include <cstdio>

namespace tendril {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Length of the valid UTF-8 sequence at the start of `bytes`, 0 when there is none.
std::size_t SequenceLength(std::string_view bytes, char32_t& code_point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code_point = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code_point = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code_point = (code_point << 6) | (byte(i) & 0x3F);
    }
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (code_point < minimum || code_point > 0x10FFFF || surrogate) {
        return 0;
    }
    return length;
}

void AppendUtf16(char32_t code_point, std::u16string& text) {
    if (code_point < 0x10000) {
        text.push_back(static_cast<char16_t>(code_point));
        return;
    }
    code_point -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
}

void AppendUtf8(char32_t code_point, std::string& text) {
    if (code_point < 0x80) {
        text.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
        text.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        text.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
        text.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
        text.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
}

void AppendEscape(const char* format, unsigned value, std::string& text) {
    char escape[8];
    std::snprintf(escape, sizeof escape, format, value);
    text += escape;
}

bool IsControl(char32_t code_point) {
    return code_point < 0x20 || code_point == 0x7F;
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, std::u16string& text) {
    text.clear();
    bool valid = true;
    while (!bytes.empty()) {
        char32_t code_point = 0;
        const std::size_t length = SequenceLength(bytes, code_point);
        if (length == 0) {
            text.push_back(kReplacement);
            valid = false;
            bytes.remove_prefix(1);
            continue;
        }
        AppendUtf16(code_point, text);
        bytes.remove_prefix(length);
    }
    return valid;
}

std::string ShowHostBytes(std::string_view bytes) {
    std::string shown;
    while (!bytes.empty()) {
        char32_t code_point = 0;
        const std::size_t length = SequenceLength(bytes, code_point);
        if (length == 0 || IsControl(code_point)) {
            AppendEscape("\\x%02X", static_cast<unsigned char>(bytes[0]), shown);
            bytes.remove_prefix(1);
            continue;
        }
        shown.append(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    return shown;
}

std::string ShowUtf16(std::u16string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), shown);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendEscape("\\u%04X", unit, shown);
        } else if (IsControl(unit)) {
            AppendEscape("\\x%02X", unit, shown);
        } else {
            AppendUtf8(unit, shown);
        }
    }
    return shown;
}

}  // namespace tendril
