#pragma once

#include <QColor>

namespace quillstone::StatusPalette {

// The panel's colours, sRGB at full opacity; callers apply the opacity factor.
inline QColor statusAccentGreen() { return QColor::fromRgbF(0.24f, 0.94f, 0.51f); }
inline QColor statusAccentRose() { return QColor::fromRgbF(0.72f, 0.38f, 0.43f); }
inline QColor statusAccentBlue() { return QColor::fromRgbF(0.18f, 0.52f, 1.0f); }
inline QColor updateAccentMagenta() { return QColor::fromRgbF(1.0f, 0.28f, 0.78f); }
// The platform's standard blue and purple as a dark appearance draws them.
inline QColor systemBlue() { return QColor::fromRgbF(0.04f, 0.52f, 1.0f); }
inline QColor systemPurple() { return QColor::fromRgbF(0.75f, 0.35f, 0.95f); }

inline QColor withOpacity(QColor colour, qreal opacity) {
    colour.setAlphaF(static_cast<float>(colour.alphaF() * opacity));
    return colour;
}
inline QColor white(qreal opacity) { return withOpacity(Qt::white, opacity); }
inline QColor black(qreal opacity) { return withOpacity(Qt::black, opacity); }
inline QColor rgb(qreal red, qreal green, qreal blue, qreal opacity) {
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                            static_cast<float>(opacity));
}

} // namespace quillstone::StatusPalette
