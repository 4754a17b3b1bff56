// What a registry script asks for: one named value to set under one key.
//
// Text is held as the script's bytes, each byte the character of the same value (Latin-1),
// and only viewed: whoever builds an operation keeps its text alive. The operations of a
// parsed script view the bytes their RegistryScript keeps.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

namespace tendril {

// Id of a predefined root key; messages print it in signed decimal.
using RegistryRoot = std::int32_t;
inline constexpr RegistryRoot kRegistryRootLocalMachine = 0;

struct RegistryKeyPath {
    RegistryRoot root = kRegistryRootLocalMachine;
    // Below the root, exactly as written in the script: doubled or trailing backslashes kept.
    std::string_view subkey;

    friend bool operator==(const RegistryKeyPath&, const RegistryKeyPath&) = default;
};

// Alternative 0 is stored as a string value, alternative 1 as a 32-bit number value.
using RegistryData = std::variant<std::string_view, std::uint32_t>;

struct RegistryValue {
    std::string_view name;
    RegistryData data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// Code of an operation; messages print it in signed decimal.
using RegistryOperationKind = std::int32_t;
inline constexpr RegistryOperationKind kRegistryOperationSetValue = 0;

struct RegistryOperation {
    RegistryOperationKind kind = kRegistryOperationSetValue;
    RegistryKeyPath key;
    RegistryValue value;

    friend bool operator==(const RegistryOperation&, const RegistryOperation&) = default;
};

}  // namespace tendril
