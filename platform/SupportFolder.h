#pragma once

#include "platform/UserDomain.h"

#include <filesystem>

namespace quillstone {

// The per-user folder that holds every local file of Quillstone: "Quillstone"
// in the first Application Support folder, or in the home folder when there is none.
std::filesystem::path supportFolder(const UserDomain& domain);

} // namespace quillstone
