#pragma once

#include <QIcon>

namespace quillstone::TrayIconArtwork {

// The menu-bar item's label drawn as an icon: "QLS" in the semibold system font,
// 11 points on a 22-point item and in proportion on larger ones.
QIcon icon();

inline constexpr const char* label = "QLS";

} // namespace quillstone::TrayIconArtwork
