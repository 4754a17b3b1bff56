#include "regscript/reader.h"

#include "key_path.h"
#include "regscript/line_match.h"
#include "regscript/narrow.h"
#include "text_mode.h"
#include "value_data.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace tendril {
namespace {

// Reads what the stream gives; a read error ends the text quietly, like the end of file.
std::string ReadAllBytes(std::ifstream& in) {
    std::string bytes;
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

// Appends the operation for `line`, if it carries one, or updates the current key.
void ParseLine(std::wstring_view line, RegistryKeyPath& current_key,
               std::vector<RegistryOperation>& operations) {
    if (line.empty() || line.front() == L';' || line == L"REGEDIT4") {
        return;
    }
    if (const auto key_text = MatchKeyLine(line)) {
        current_key = ParseKeyPath(*key_text);
        return;
    }
    const auto value_line = MatchValueLine(line);
    if (!value_line) {
        throw std::runtime_error("Invalid line: " + NarrowForMessage(line));
    }
    if (current_key.subkey.empty()) {
        throw std::runtime_error("Invalid file format: value without key is found");
    }
    operations.push_back(RegistryOperation{kRegistryOperationSetValue, current_key,
                                           ParseValueData(value_line->name, value_line->data)});
}

}  // namespace

std::vector<RegistryOperation> ParseRegistryScriptText(std::string_view bytes,
                                                       std::size_t& failed_line) {
    const std::wstring text = DecodeTextModeBytes(bytes);
    const std::wstring_view all_text = text;
    std::vector<RegistryOperation> operations;
    RegistryKeyPath current_key;
    std::size_t line_number = 0;
    // A line ends at LF; text after the last LF is a line too, but nothing after a final LF.
    for (std::size_t begin = 0; begin < all_text.size();) {
        std::size_t end = all_text.find(L'\n', begin);
        if (end == std::wstring_view::npos) {
            end = all_text.size();
        }
        ++line_number;
        try {
            ParseLine(all_text.substr(begin, end - begin), current_key, operations);
        } catch (...) {
            failed_line = line_number;
            throw;
        }
        begin = end + 1;
    }
    return operations;
}

std::vector<RegistryOperation> ParseRegistryScriptText(std::string_view bytes) {
    std::size_t ignored_line = 0;
    return ParseRegistryScriptText(bytes, ignored_line);
}

std::vector<RegistryOperation> ParseRegistryScript(const std::wstring& path,
                                                   std::size_t& failed_line) {
    std::ifstream in;
    try {
        const std::filesystem::path file(path);
        // A folder can be opened for reading on some systems but is never a script.
        std::error_code ignored;
        if (!std::filesystem::is_directory(file, ignored)) {
            in.open(file, std::ios::in | std::ios::binary);
        }
    } catch (const std::exception&) {
        // A name with no form on this system cannot name a file that opens.
    }
    if (!in.is_open()) {
        failed_line = 0;
        throw std::runtime_error("Failed to open registry file: " + NarrowForMessage(path));
    }
    return ParseRegistryScriptText(ReadAllBytes(in), failed_line);
}

std::vector<RegistryOperation> ParseRegistryScript(const std::wstring& path) {
    std::size_t ignored_line = 0;
    return ParseRegistryScript(path, ignored_line);
}

}  // namespace tendril
