#pragma once

#include <string>

namespace quillstone {

// A random (version 4) UUID in its canonical 36-character upper-case form.
std::string makeUuidString();

} // namespace quillstone
