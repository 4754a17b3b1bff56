#include "regscript/reader.h"

#include "key_path.h"
#include "regscript/line_match.h"
#include "regscript/narrow.h"
#include "regscript/system_error.h"
#include "script_file.h"
#include "text_mode.h"
#include "value_data.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace tendril {
namespace {

// Appends the operation for `line`, if it carries one, or updates the current key. What is
// kept views `line`, which lies in the script's bytes.
void ParseLine(std::string_view line, RegistryKeyPath& current_key,
               std::vector<RegistryOperation>& operations) {
    if (line.empty() || line.front() == ';' || line == "REGEDIT4") {
        return;
    }
    if (const auto key_text = MatchKeyLine(line)) {
        current_key = ParseKeyPath(*key_text);
        return;
    }
    const auto value_line = MatchValueLine(line);
    if (!value_line) {
        throw std::runtime_error("Invalid line: " + std::string(line));
    }
    // A parsed key always has a subkey, so an empty one means no key line yet.
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

RegistryScript ParseRegistryScriptText(std::string bytes, std::size_t& failed_line) {
    // Moved, not copied: the operations view these bytes, and the result keeps them.
    auto text = std::make_shared<const std::string>(std::move(bytes));
    TextModeLines lines(*text);
    std::vector<RegistryOperation> operations;
    ReserveForValueLines(lines, operations);
    RegistryKeyPath current_key;
    std::size_t line_number = 0;
    std::string_view line;
    try {
        while (lines.Next(line)) {
            ++line_number;
            ParseLine(line, current_key, operations);
        }
    } catch (...) {
        failed_line = line_number;
        throw;
    }
    return RegistryScript(std::move(text), std::move(operations));
}

RegistryScript ParseRegistryScriptText(std::string bytes) {
    std::size_t ignored_line = 0;
    return ParseRegistryScriptText(std::move(bytes), ignored_line);
}

RegistryScript ParseRegistryScript(const std::wstring& path, std::size_t& failed_line) {
    // Held until the parse ends; on Windows no one can delete or rename the script meanwhile.
    ScriptFile file(path);
    if (!file.is_open()) {
        failed_line = 0;
        throw FailureWithSystemError("Failed to open registry file: " + NarrowForMessage(path),
                                     file.open_error());
    }
    return ParseRegistryScriptText(file.ReadAll(), failed_line);
}

RegistryScript ParseRegistryScript(const std::wstring& path) {
    std::size_t ignored_line = 0;
    return ParseRegistryScript(path, ignored_line);
}

}  // namespace tendril
