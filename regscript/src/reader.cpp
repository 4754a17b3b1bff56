#include "regscript/reader.h"

#include "key_path.h"
#include "regscript/line_match.h"
#include "regscript/narrow.h"
#include "regscript/system_error.h"
#include "script_file.h"
#include "text_mode.h"
#include "value_data.h"

#include <new>
#include <stdexcept>

namespace tendril {
namespace {

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

// Only a line that begins with a quote can be a value line, so in a valid script this is the
// exact number of operations. Growing the list instead would hold the old and the new array
// at once at each step. A count too large for memory (many short invalid lines) must still
// let the parse report the line that makes the file invalid.
void ReserveForValueLines(const TextModeLines& lines, std::vector<RegistryOperation>& operations) {
    try {
        operations.reserve(lines.CountStartingWith('"'));
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

}  // namespace

std::vector<RegistryOperation> ParseRegistryScriptText(std::string_view bytes,
                                                       std::size_t& failed_line) {
    TextModeLines lines(bytes);
    std::vector<RegistryOperation> operations;
    ReserveForValueLines(lines, operations);
    RegistryKeyPath current_key;
    std::size_t line_number = 0;
    // One line decoded at a time: the wide form of the whole file would be two to four times
    // its size.
    std::wstring line;
    try {
        while (lines.Next(line)) {
            ++line_number;
            ParseLine(line, current_key, operations);
        }
    } catch (...) {
        failed_line = line_number;
        throw;
    }
    return operations;
}

std::vector<RegistryOperation> ParseRegistryScriptText(std::string_view bytes) {
    std::size_t ignored_line = 0;
    return ParseRegistryScriptText(bytes, ignored_line);
}

std::vector<RegistryOperation> ParseRegistryScript(const std::wstring& path,
                                                   std::size_t& failed_line) {
    // Held until the parse ends; on Windows no one can delete or rename the script meanwhile.
    ScriptFile file(path);
    if (!file.is_open()) {
        failed_line = 0;
        throw FailureWithSystemError("Failed to open registry file: " + NarrowForMessage(path),
                                     file.open_error());
    }
    return ParseRegistryScriptText(file.ReadAll(), failed_line);
}

std::vector<RegistryOperation> ParseRegistryScript(const std::wstring& path) {
    std::size_t ignored_line = 0;
    return ParseRegistryScript(path, ignored_line);
}

}  // namespace tendril
