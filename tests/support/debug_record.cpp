#include "debug_record.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "platform/image_identity.h"
#include "test_support.h"

namespace tendril::testing {
namespace {

template <typename Record>
std::optional<Record> ReadAt(const std::string& bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(Record)) {
        return std::nullopt;
    }
    Record record;
    std::memcpy(&record, bytes.data() + offset, sizeof(record));
    return record;
}

}  // namespace

// The first debug entry's CodeView record as the linker wrote it into the file: found through
// the section table and the entry's file offset, with the system's own header definitions,
// so that the file's layout checks what the description reads from memory.
std::optional<FileDebugRecord> DebugRecordInFile(const std::wstring& path) {
    const auto bytes = ReadBytes(path);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string& file = *bytes;
    const auto dos = ReadAt<IMAGE_DOS_HEADER>(file, 0);
    if (!dos) {
        return std::nullopt;
    }
    const auto nt = ReadAt<IMAGE_NT_HEADERS>(file, static_cast<std::uint32_t>(dos->e_lfanew));
    if (!nt || nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_DEBUG) {
        return std::nullopt;
    }
    const std::uint32_t debug_rva =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG].VirtualAddress;
    const std::uint64_t sections = static_cast<std::uint32_t>(dos->e_lfanew) +
                                   offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                                   nt->FileHeader.SizeOfOptionalHeader;
    std::optional<std::uint64_t> debug_offset;
    for (unsigned i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        const auto section =
            ReadAt<IMAGE_SECTION_HEADER>(file, sections + i * sizeof(IMAGE_SECTION_HEADER));
        if (section && debug_rva >= section->VirtualAddress &&
            debug_rva - section->VirtualAddress < section->SizeOfRawData) {
            debug_offset = debug_rva - section->VirtualAddress + section->PointerToRawData;
        }
    }
    const auto entry =
        debug_offset ? ReadAt<IMAGE_DEBUG_DIRECTORY>(file, *debug_offset) : std::nullopt;
    if (!entry) {
        return std::nullopt;
    }
    struct CodeView {
        char signature[4];
        std::uint8_t guid[16];
        std::uint32_t age;
    };
    const auto record = ReadAt<CodeView>(file, entry->PointerToRawData);
    if (!record || std::memcmp(record->signature, "RSDS", 4) != 0) {
        return std::nullopt;
    }
    char identity[vrel::kDebugIdentitySize];
    vrel::FormatDebugIdentity(record->guid, record->age, identity);
    return FileDebugRecord{entry->SizeOfData, identity};
}

}  // namespace tendril::testing
