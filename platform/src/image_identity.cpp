#include "platform/image_identity.h"

#include <charconv>
#include <optional>

namespace vrel {
namespace {

constexpr std::uint16_t kDosSignature = 0x5A4D;           // "MZ"
constexpr std::uint32_t kNtSignature = 0x00004550;        // "PE\0\0"
constexpr std::uint32_t kCodeViewSignature = 0x53445352;  // "RSDS"

constexpr std::uint64_t kNtHeadersPointerOffset = 0x3C;
constexpr std::uint64_t kOptionalHeaderOffset = 4 + 20;  // signature, file header
constexpr std::uint64_t kSizeOfImageOffset = 56;         // same in both layouts

constexpr std::uint32_t kDebugDirectoryIndex = 6;
constexpr std::uint64_t kDataDirectorySize = 8;

constexpr std::uint32_t kDebugEntrySize = 28;
constexpr std::uint64_t kDebugEntrySizeOfDataOffset = 16;
constexpr std::uint64_t kDebugEntryAddressOfRawDataOffset = 20;

constexpr std::uint32_t kMinimumCodeViewSize = 28;
constexpr std::uint64_t kCodeViewGuidOffset = 4;
constexpr std::uint64_t kCodeViewAgeOffset = 20;
constexpr std::uint64_t kCodeViewFixedSize = 24;

// PE32+ widens five fields of the optional header to 64 bits, which moves everything after
// them, the directory count and the directories among them.
struct OptionalHeaderLayout {
    std::uint64_t directory_count_offset;
    std::uint64_t directories_offset;
};

std::optional<OptionalHeaderLayout> LayoutFor(std::uint16_t magic) noexcept {
    switch (magic) {
        case kPe32Magic:
            return OptionalHeaderLayout{92, 96};
        case kPe32PlusMagic:
            return OptionalHeaderLayout{108, 112};
        default:
            return std::nullopt;
    }
}

// Little-endian reads that fail instead of leaving the span. Offsets are 64-bit and every
// offset is a sum of at most two 32-bit values and a small constant, so nothing wraps.
class ImageReader {
public:
    explicit ImageReader(std::span<const std::uint8_t> image) noexcept : image_(image) {}

    [[nodiscard]] bool Contains(std::uint64_t offset, std::uint64_t length) const noexcept {
        return offset <= image_.size() && image_.size() - offset >= length;
    }

    [[nodiscard]] std::optional<std::uint32_t> Read(std::uint64_t offset,
                                                    std::size_t width) const noexcept {
        if (!Contains(offset, width)) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = width; i > 0; --i) {
            value = (value << 8) | image_[static_cast<std::size_t>(offset) + i - 1];
        }
        return value;
    }
    [[nodiscard]] std::optional<std::uint32_t> U16(std::uint64_t offset) const noexcept {
        return Read(offset, 2);
    }
    [[nodiscard]] std::optional<std::uint32_t> U32(std::uint64_t offset) const noexcept {
        return Read(offset, 4);
    }
    [[nodiscard]] std::span<const std::uint8_t, 16> Guid(std::uint64_t offset) const noexcept {
        return image_.subspan(static_cast<std::size_t>(offset)).first<16>();
    }

private:
    std::span<const std::uint8_t> image_;
};

struct ImageHeaders {
    std::uint64_t size_of_image = 0;
    std::uint32_t directory_count = 0;
    std::uint64_t directories = 0;
};

Result ReadHeaders(const ImageReader& reader, std::uint16_t expected_magic,
                   ImageHeaders& out) noexcept {
    const auto layout = LayoutFor(expected_magic);
    const auto dos_signature = reader.U16(0);
    const auto nt_headers = reader.U32(kNtHeadersPointerOffset);
    if (!layout || dos_signature != kDosSignature || !nt_headers) {
        return results::kInvalidSignature;
    }
    const std::uint64_t optional_header = *nt_headers + kOptionalHeaderOffset;
    if (reader.U32(*nt_headers) != kNtSignature || reader.U16(optional_header) != expected_magic) {
        return results::kInvalidSignature;
    }
    const auto size_of_image = reader.U32(optional_header + kSizeOfImageOffset);
    const auto directory_count = reader.U32(optional_header + layout->directory_count_offset);
    if (!size_of_image || !directory_count) {
        return results::kInvalidSignature;
    }
    out.size_of_image = *size_of_image;
    out.directory_count = *directory_count;
    out.directories = optional_header + layout->directories_offset;
    return results::kOk;
}

char HexDigit(unsigned value) noexcept {
    return "0123456789ABCDEF"[value & 0xF];
}

}  // namespace

Result ReadImageSize(std::span<const std::uint8_t> headers, std::uint16_t expected_magic,
                     std::uint64_t& size) noexcept {
    ImageHeaders parsed;
    const Result result = ReadHeaders(ImageReader(headers), expected_magic, parsed);
    if (Failed(result)) {
        return result;
    }
    size = parsed.size_of_image;
    return results::kOk;
}

Result ReadImageIdentity(std::span<const std::uint8_t> image, std::uint16_t expected_magic,
                         ImageIdentity& out) noexcept {
    const ImageReader reader(image);
    ImageHeaders headers;
    const Result result = ReadHeaders(reader, expected_magic, headers);
    if (Failed(result)) {
        return result;
    }
    ImageIdentity identity;
    identity.size = headers.size_of_image;
    if (headers.directory_count <= kDebugDirectoryIndex) {
        out = identity;
        return results::kOk;
    }

    const std::uint64_t debug_directory =
        headers.directories + kDebugDirectoryIndex * kDataDirectorySize;
    const auto debug_address = reader.U32(debug_directory);
    const auto debug_size = reader.U32(debug_directory + 4);
    if (!debug_address || !debug_size) {
        return results::kInvalidSignature;
    }
    if (*debug_size < kDebugEntrySize || !reader.Contains(*debug_address, kDebugEntrySize)) {
        return results::kInvalidSize;
    }
    const std::uint32_t size_of_data = *reader.U32(*debug_address + kDebugEntrySizeOfDataOffset);
    const std::uint32_t record = *reader.U32(*debug_address + kDebugEntryAddressOfRawDataOffset);
    if (size_of_data < kMinimumCodeViewSize || !reader.Contains(record, kCodeViewFixedSize)) {
        return results::kInvalidSize;
    }
    if (reader.U32(record) != kCodeViewSignature) {
        return results::kInvalidSignature;
    }
    FormatDebugIdentity(reader.Guid(std::uint64_t{record} + kCodeViewGuidOffset),
                        *reader.U32(std::uint64_t{record} + kCodeViewAgeOffset),
                        identity.debug_identity);
    out = identity;
    return results::kOk;
}

void FormatDebugIdentity(std::span<const std::uint8_t, 16> guid, std::uint32_t age,
                         char (&out)[kDebugIdentitySize]) noexcept {
    // Storage index of each byte in the order it is written; -1 marks a dash.
    constexpr int kOrder[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
    char* text = out;
    for (const int index : kOrder) {
        if (index < 0) {
            *text++ = '-';
            continue;
        }
        *text++ = HexDigit(guid[static_cast<std::size_t>(index)] >> 4);
        *text++ = HexDigit(guid[static_cast<std::size_t>(index)]);
    }
    *text++ = ',';
    // 10 digits always fit: the buffer is sized for the largest 32-bit age.
    text = std::to_chars(text, out + kDebugIdentitySize - 1, age).ptr;
    *text = '\0';
}

}  // namespace vrel
