// Heap cost of reading one registry script, counted by this program's own operator new and
// delete: the peak of live bytes during the parse, and what the operation list keeps once the
// parse has returned. Runs as its own process so that nothing else shares the count.
//   bench_script_memory LINES
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "heap_count.h"
#include "regscript/reader.h"
#include "script_text.h"

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
    const std::size_t base = tendril::heap_count::LiveBytes();
    tendril::heap_count::ResetPeak();
    std::size_t list_bytes = 0;
    std::size_t operations = 0;
    {
        const auto script = tendril::ParseRegistryScript(path.wstring());
        list_bytes = tendril::heap_count::LiveBytes() - base;
        operations = script.size();
    }
    std::filesystem::remove(path);
    // lines, file bytes, operations, bytes the list keeps, peak heap bytes of the parse
    std::printf("%zu\t%zu\t%zu\t%zu\t%zu\n", lines, file_bytes, operations, list_bytes,
                tendril::heap_count::PeakBytes() - base);
    return 0;
}
