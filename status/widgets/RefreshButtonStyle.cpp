#include "status/widgets/RefreshButtonStyle.h"

#include "status/widgets/StatusPalette.h"

#include <algorithm>

namespace quillstone {

namespace {

qreal mix(qreal from, qreal to, qreal amount) { return from + (to - from) * amount; }

QColor mix(const QColor& from, const QColor& to, qreal amount) {
    return QColor::fromRgbF(static_cast<float>(mix(from.redF(), to.redF(), amount)),
                            static_cast<float>(mix(from.greenF(), to.greenF(), amount)),
                            static_cast<float>(mix(from.blueF(), to.blueF(), amount)),
                            static_cast<float>(mix(from.alphaF(), to.alphaF(), amount)));
}

RefreshButtonAppearance mix(const RefreshButtonAppearance& from, const RefreshButtonAppearance& to, qreal amount) {
    return {mix(from.accent, to.accent, amount),
            mix(from.fillOpacity, to.fillOpacity, amount),
            mix(from.strokeOpacity, to.strokeOpacity, amount),
            mix(from.glowOpacity, to.glowOpacity, amount),
            mix(from.glowRadius, to.glowRadius, amount),
            mix(from.scale, to.scale, amount)};
}

} // namespace

RefreshButtonAppearance RefreshButtonStyle::idle() {
    return {StatusPalette::statusAccentGreen(), 0.075, 0.66, 0.12, 3, 1.0};
}

RefreshButtonAppearance RefreshButtonStyle::hovered() {
    return {StatusPalette::statusAccentGreen(), 0.18, 0.95, 0.34, 6, 1.06};
}

RefreshButtonAppearance RefreshButtonStyle::pressed() {
    return {StatusPalette::statusAccentBlue(), 0.24, 0.95, 0.62, 8, 0.91};
}

RefreshButtonAppearance RefreshButtonStyle::blend(qreal hoverAmount, qreal pressAmount) {
    const RefreshButtonAppearance resting = mix(idle(), hovered(), std::clamp<qreal>(hoverAmount, 0, 1));
    return mix(resting, pressed(), std::clamp<qreal>(pressAmount, 0, 1));
}

} // namespace quillstone
