#pragma once

#include <QColor>

#include <cmath>

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
// WCAG relative luminance of an opaque sRGB colour.
inline double luminance(const QColor& colour) {
    auto channel = [](float value) { return value <= 0.04045f ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4); };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}
// The fill, darkened just enough for white text on it to read at 4.5:1.
inline QColor fillUnderWhiteText(QColor fill) {
    while (1.05 / (luminance(fill) + 0.05) < 4.5) {
        fill = fill.darker(105);
    }
    return fill;
}
inline QColor rgb(qreal red, qreal green, qreal blue, qreal opacity) {
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                            static_cast<float>(opacity));
}

} // namespace quillstone::StatusPalette
