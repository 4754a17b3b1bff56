#include "script_text.h"

#include <cstdio>

namespace tendril::bench {
namespace {

constexpr std::size_t kLinesPerKey = 10;  // the key line and nine values

}  // namespace

std::string RegistryScriptText(std::size_t lines) {
    std::string text;
    text.reserve(lines * 48);
    char line[128];
    for (std::size_t i = 0; i < lines; ++i) {
        if (i == 0) {
            text += "REGEDIT4\r\n";
            continue;
        }
        const std::size_t group = (i - 1) / kLinesPerKey;
        const std::size_t position = (i - 1) % kLinesPerKey;
        if (position == 0) {
            std::snprintf(line, sizeof line,
                          "[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\TendrilBench\\Key%06zu]\r\n",
                          group);
        } else if (position % 2 == 1) {
            std::snprintf(line, sizeof line, "\"Setting%zu\"=\"value of setting %zu.%zu\"\r\n",
                          position, group, position);
        } else {
            std::snprintf(line, sizeof line, "\"Counter%zu\"=dword:%08zx\r\n", position,
                          group & 0x7FFFFFFF);
        }
        text += line;
    }
    return text;
}

}  // namespace tendril::bench
