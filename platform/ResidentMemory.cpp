#include "platform/ResidentMemory.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/mman.h>

namespace quillstone {

void pageOutLibraries(std::string_view libraryName) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        uintptr_t start = 0;
        uintptr_t end = 0;
        if (line.find(libraryName) == std::string::npos ||
            std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR, &start, &end) != 2) {
            continue;
        }
        // Only a hint: kernels before 5.4 refuse it and the pages stay.
        madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT);
    }
}

} // namespace quillstone
