// Heap cost of reading one registry script, counted by this program's own operator new and
// delete: the peak of live bytes during the parse, and what the operation list keeps once the
// parse has returned. Runs as its own process so that nothing else shares the count.
//   bench_script_memory LINES
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "regscript/reader.h"
#include "script_text.h"

namespace {

// What the heap really set aside for a block, padding included.
std::size_t BlockSize(void* block) {
#ifdef _WIN32
    return _msize(block);
#else
    return malloc_usable_size(block);
#endif
}

std::size_t live_bytes = 0;
std::size_t peak_bytes = 0;

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    live_bytes += BlockSize(block);
    peak_bytes = std::max(peak_bytes, live_bytes);
    return block;
}

void Release(void* block) noexcept {
    if (block != nullptr) {
        live_bytes -= BlockSize(block);
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LINES\n", argv[0]);
        return 2;
    }
    const std::size_t lines = std::strtoull(argv[1], nullptr, 10);
    const auto path = std::filesystem::temp_directory_path() /
                      ("tendril-bench-memory-" + std::to_string(lines) + ".regupd");
    std::size_t file_bytes = 0;
    {
        const std::string text = tendril::bench::RegistryScriptText(lines);
        file_bytes = text.size();
        std::ofstream(path, std::ios::binary) << text;
    }
    const std::size_t base = live_bytes;
    peak_bytes = live_bytes;
    std::size_t list_bytes = 0;
    std::size_t operations = 0;
    {
        const auto script = tendril::ParseRegistryScript(path.wstring());
        list_bytes = live_bytes - base;
        operations = script.size();
    }
    std::filesystem::remove(path);
    // lines, file bytes, operations, bytes the list keeps, peak heap bytes of the parse
    std::printf("%zu\t%zu\t%zu\t%zu\t%zu\n", lines, file_bytes, operations, list_bytes,
                peak_bytes - base);
    return 0;
}
