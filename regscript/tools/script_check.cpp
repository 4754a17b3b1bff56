#include "script_check.h"

#include "regscript/reader.h"

#include <cstdio>
#include <exception>
#include <variant>

namespace tendril {
namespace {

std::string RootName(RegistryRoot root) {
    return root == kRegistryRootLocalMachine ? "HKEY_LOCAL_MACHINE" : std::to_string(root);
}

std::string DwordText(std::uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(number));
    return text;
}

void PrintOperation(const RegistryOperation& operation, std::string_view shown, std::ostream& out) {
    // Script text is already the bytes a message shows.
    out << shown << ": [" << RootName(operation.key.root) << '\\' << operation.key.subkey << "] \""
        << operation.value.name << "\" ";
    if (const auto* text = std::get_if<std::string_view>(&operation.value.data)) {
        out << "REG_SZ \"" << *text << "\"\n";
    } else {
        out << "REG_DWORD " << DwordText(std::get<std::uint32_t>(operation.value.data)) << '\n';
    }
}

}  // namespace

bool CheckRegistryScript(const std::wstring& path, std::string_view shown, std::ostream& out,
                         std::ostream& err) {
    std::size_t failed_line = 0;
    try {
        for (const auto& operation : ParseRegistryScript(path, failed_line)) {
            PrintOperation(operation, shown, out);
        }
        return true;
    } catch (const std::exception& e) {
        err << shown << ':';
        if (failed_line != 0) {
            err << failed_line << ':';
        }
        err << ' ' << e.what() << '\n';
        return false;
    }
}

}  // namespace tendril
