#pragma once

#include <QColor>

namespace quillstone {

// How the round refresh button looks in one moment of its animations.
struct RefreshButtonAppearance {
    QColor accent;       // icon, fill, stroke and glow
    qreal fillOpacity;   // of the accent over the glass circle
    qreal strokeOpacity; // of the 1.25-wide border
    qreal glowOpacity;
    qreal glowRadius;
    qreal scale;         // about the centre
};

// The refresh button's style: idle, hovered and pressed, and the eased blend
// between them while a change animates.
struct RefreshButtonStyle {
    bool isHovered = false;

    static constexpr int frameSize = 30;
    static constexpr qreal strokeWidth = 1.25;
    static constexpr int hoverDurationMs = 130;
    static constexpr int pressDurationMs = 110;

    static RefreshButtonAppearance idle();
    static RefreshButtonAppearance hovered();
    static RefreshButtonAppearance pressed();
    // `hoverAmount` and `pressAmount` run from 0 (off) to 1 (on); pressing wins over hovering.
    static RefreshButtonAppearance blend(qreal hoverAmount, qreal pressAmount);

    RefreshButtonAppearance appearance(bool isPressed) const {
        return blend(isHovered ? 1 : 0, isPressed ? 1 : 0);
    }
};

} // namespace quillstone
