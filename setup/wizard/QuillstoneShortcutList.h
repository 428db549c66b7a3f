#pragma once

#include <string_view>

namespace quillstone {

// The output of `shortcuts list`: one name per line.
class QuillstoneShortcutList {
public:
    // True when one line, trimmed of tabs and space separators, is exactly the name.
    // Output that is not UTF-8 holds no name.
    static bool contains(std::string_view output, std::string_view name);
};

} // namespace quillstone
