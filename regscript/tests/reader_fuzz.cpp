// Any bytes either parse into operations the writer can take, or fail with one of the
// reader's own exception types.
#include "regscript/reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t failed_line = 0;
    try {
        for (const auto& operation :
             tendril::ParseRegistryScriptText(std::string(bytes), failed_line)) {
            if (operation.kind != tendril::kRegistryOperationSetValue ||
                operation.key.root != tendril::kRegistryRootLocalMachine ||
                operation.key.subkey.empty() || operation.value.name.empty()) {
                std::abort();
            }
        }
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    } catch (const std::runtime_error&) {
    }
    // Anything else escapes and is reported by the fuzzer.
    return 0;
}
