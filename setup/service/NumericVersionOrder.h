#pragma once

#include <compare>
#include <string_view>

namespace quillstone {

// Orders version strings the way Apple's numeric string comparison does:
// runs of digits compare as numbers ("2.10" after "2.9", "9" before "40"),
// everything else character by character.
std::strong_ordering compareVersionsNumerically(std::string_view left, std::string_view right);

} // namespace quillstone
