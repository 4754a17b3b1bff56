#include "regscript/writer.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "regscript/widen.h"

namespace tendril {
namespace {

[[noreturn]] void ThrowSetFailed(const RegistryKeyPath& key, const RegistryValue& value,
                                 LSTATUS status) {
    throw RegistryWriteError(
        "Failed to set value of " + std::string(key.subkey) + ": " + std::string(value.name),
        static_cast<std::uint32_t>(status));
}

}  // namespace

void SetRegistryValue(const RegistryKeyPath& key, const RegistryValue& value) {
    if (key.root != kRegistryRootLocalMachine) {
        throw std::invalid_argument("Invalid root key: " + std::to_string(key.root));
    }
    // Widened before the key is opened, so that running out of memory leaves no handle open.
    const std::wstring subkey = WidenScriptText(key.subkey);
    const std::wstring name = WidenScriptText(value.name);
    const auto* text_view = std::get_if<std::string_view>(&value.data);
    const std::wstring text = text_view != nullptr ? WidenScriptText(*text_view) : std::wstring();

    HKEY handle = nullptr;
    const LSTATUS opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_WRITE, &handle);
    // A key that exists but refuses writing is a failure, not a skip: the script would count
    // as imported and be deleted with values that were never written.
    if (opened == ERROR_ACCESS_DENIED) {
        ThrowSetFailed(key, value, opened);
    }
    if (opened != ERROR_SUCCESS) {
        return;
    }
    LSTATUS status;
    if (text_view != nullptr) {
        status = RegSetValueExW(handle, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    } else {
        const DWORD number = std::get<std::uint32_t>(value.data);
        status = RegSetValueExW(handle, name.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&number), sizeof(number));
    }
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) {
        ThrowSetFailed(key, value, status);
    }
}

}  // namespace tendril
