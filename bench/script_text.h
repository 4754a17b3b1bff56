// Registry scripts of a chosen length for the reading benchmarks.
#pragma once

#include <cstddef>
#include <string>

namespace tendril::bench {

// A valid script of exactly `lines` CR LF lines: the header, then keys that each carry nine
// values, strings and numbers in turn. The keys lie below a key that no installation has, so
// an import writes nothing.
std::string RegistryScriptText(std::size_t lines);

}  // namespace tendril::bench
