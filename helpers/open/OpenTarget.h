#pragma once

#include <string>

namespace quillstone {

// One argument of `open`, classified the way the Finder would treat it.
struct OpenTarget {
    enum class Kind { application, shortcut, url, file };

    Kind kind = Kind::file;
    std::string text;

    static OpenTarget classify(const std::string& argument);
};

} // namespace quillstone
