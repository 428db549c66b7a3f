#pragma once

#include <cstdint>
#include <string_view>

namespace quillstone::ReleaseVersion {

// One optional leading '+' or '-', then ASCII digits only; anything else, an
// empty text or a value beyond the signed 64-bit range gives 0.
std::int64_t parseBuildNumber(std::string_view text);

// Dot-separated numbers (empty pieces dropped, a piece that is no number
// counts as 0) compared position by position, a missing position being 0;
// equal versions leave the decision to the build numbers.
bool isNewerVersion(std::string_view manifestVersion, std::int64_t manifestBuild, std::string_view currentVersion,
                    std::int64_t currentBuild);

} // namespace quillstone::ReleaseVersion
