#include "setup/app/ConsoleApplicationControl.h"

#include <iostream>

namespace quillstone {

void ConsoleApplicationControl::presentError(const std::string& description) {
    std::cerr << description << std::endl;
}

} // namespace quillstone
