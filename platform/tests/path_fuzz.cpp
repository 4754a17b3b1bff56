// The path operations on any run of UTF-16 units: the folder part is always a leading part
// of its input, walking up always ends, a joined path splits back into its base, and the
// extended-length form is normalised and stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/path.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool HasSeparatorOrDrive(std::wstring_view name) {
    return name.find_first_of(L"\\/:") != std::wstring_view::npos;
}

}  // namespace

// Input: pairs of bytes as UTF-16 units; the first unit says where the base ends.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    if (units.empty()) {
        return 0;
    }
    const std::size_t split = static_cast<std::size_t>(units[0]) % units.size();  // <= path size
    const std::wstring_view path = std::wstring_view(units).substr(1);
    const std::wstring_view base = path.substr(0, split);
    const std::wstring_view name = path.substr(split);

    // Walking up from any path ends, each step a leading part of the one before.
    std::wstring_view current = path;
    for (std::size_t steps = 0;; ++steps) {
        Require(steps <= path.size());
        const std::wstring_view parent = tendril::ParentPath(current);
        Require(parent.data() == current.data() || parent.empty());
        Require(parent.size() <= current.size());
        if (parent.size() == current.size()) {
            break;
        }
        current = parent;
    }

    const tendril::WidePath joined = tendril::JoinPath(base, name);
    Require(joined.compare(0, base.size(), base) == 0);
    Require(joined.size() >= name.size() &&
            joined.compare(joined.size() - name.size(), name.size(), name) == 0);
    const bool needs_separator =
        !name.empty() && !base.empty() && !tendril::IsPathSeparator(base.back());
    Require(joined.size() == base.size() + name.size() + (needs_separator ? 1 : 0));
    if (needs_separator) {
        Require(joined[base.size()] == L'\\');
    }
    if (needs_separator && !HasSeparatorOrDrive(name) && base.back() != L':') {
        Require(tendril::ParentPath(joined) == base);
    }

    // The extended form is the input itself or a normalised "\\?\" path, and normalising it
    // again changes nothing.
    const tendril::WidePath extended = tendril::ExtendedLengthPath(path);
    if (extended != path) {
        Require(extended.starts_with(L"\\\\?\\"));
        Require(extended.find(L'/') == tendril::WidePath::npos);
        const std::wstring_view segments = std::wstring_view(extended).substr(4);
        Require(segments.find(L"\\.\\") == std::wstring_view::npos);
        Require(segments.find(L"\\..\\") == std::wstring_view::npos);
        Require(!segments.ends_with(L"\\..") && !segments.ends_with(L"\\."));
    }
    Require(tendril::ExtendedLengthPath(extended) == extended);
    return 0;
}
