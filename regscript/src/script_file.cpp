#include "script_file.h"

namespace tendril {

std::string ScriptFile::ReadAll() {
    // One byte more than the file holds, so that the read that meets the end needs no growth.
    // A file that grows meanwhile, or has no size (a pipe), grows the buffer as it goes.
    std::string bytes(SizeHint() + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const std::size_t read = ReadSome(bytes.data() + filled, bytes.size() - filled);
        if (read == 0) {
            break;
        }
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace tendril
