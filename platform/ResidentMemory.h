#pragma once

#include <string_view>

namespace quillstone {

// Asks the kernel to reclaim the resident pages of the mapped libraries whose
// path contains `libraryName`. Contents never change: clean pages are read
// back from the file on next use, and changed ones stay or go to swap.
void pageOutLibraries(std::string_view libraryName);

} // namespace quillstone
