// The debug identity that the linker wrote into an executable file, read from the file
// itself: what a description of the loaded module must match.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tendril::testing {

struct FileDebugRecord {
    std::uint32_t size_of_data = 0;  // as the first debug entry gives it
    std::string identity;            // "GUID,age"
};

std::optional<FileDebugRecord> DebugRecordInFile(const std::wstring& path);

}  // namespace tendril::testing
