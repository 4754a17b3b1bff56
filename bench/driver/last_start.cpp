#include "last_start.h"

#include <ctime>
#include <stdexcept>

namespace tendril::bench {
namespace {

constexpr wchar_t kDataKey[] = L"Software\\VelmoraLab\\Tendril23.0\\data";

}  // namespace

DWORD NotDueLastStart() {
    return static_cast<DWORD>(std::time(nullptr));
}

void SetLastStart(DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDataKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the LastStart key");
    }
    const LSTATUS status = RegSetValueExW(key, L"LastStart", 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot write LastStart");
    }
}

}  // namespace tendril::bench
