#include "status/widgets/RefreshButton.h"

#include "platform/qt/SymbolIcon.h"
#include "status/widgets/EaseOut.h"
#include "status/widgets/StatusPalette.h"

#include <QEnterEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QVariantAnimation>

#include <cmath>

namespace quillstone {

namespace {

constexpr qreal frameRadius = RefreshButtonStyle::frameSize / 2.0;

// The blurred edge of a disc: a Gaussian of sigma = radius / 2 across the rim.
QRadialGradient glow(QPointF centre, const QColor& colour, qreal opacity, qreal blurRadius) {
    const qreal sigma = std::max<qreal>(blurRadius / 2, 0.01);
    const qreal outer = frameRadius + 3 * sigma;
    QRadialGradient gradient(centre, outer);
    for (int step = 0; step <= 12; ++step) {
        const qreal distance = outer * step / 12.0;
        const qreal coverage = 0.5 * std::erfc((distance - frameRadius) / (sigma * std::sqrt(2.0)));
        gradient.setColorAt(distance / outer, StatusPalette::withOpacity(colour, opacity * coverage));
    }
    return gradient;
}

} // namespace

RefreshButton::RefreshButton(QWidget* parent)
    : QAbstractButton(parent), hoverAnimation_(new QVariantAnimation(this)), pressAnimation_(new QVariantAnimation(this)) {
    setAccessibleName(QString::fromUtf8(accessibleLabel));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover);
    hoverAnimation_->setDuration(RefreshButtonStyle::hoverDurationMs);
    pressAnimation_->setDuration(RefreshButtonStyle::pressDurationMs);
    for (QVariantAnimation* animation : {hoverAnimation_, pressAnimation_}) {
        animation->setEasingCurve(easeOut());
    }
    connect(hoverAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        hoverAmount_ = value.toReal();
        update();
    });
    connect(pressAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        pressAmount_ = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, [this] { animate(pressAnimation_, 1); });
    connect(this, &QAbstractButton::released, this, [this] { animate(pressAnimation_, 0); });
}

void RefreshButton::setHovered(bool hovered) {
    if (style_.isHovered != hovered) {
        style_.isHovered = hovered;
        animate(hoverAnimation_, hovered ? 1 : 0);
    }
}

RefreshButtonAppearance RefreshButton::currentAppearance() const {
    return RefreshButtonStyle::blend(hoverAmount_, pressAmount_);
}

QSize RefreshButton::sizeHint() const {
    const int side = RefreshButtonStyle::frameSize + 2 * margin;
    return {side, side};
}

void RefreshButton::animate(QVariantAnimation* animation, qreal target) {
    const qreal current = animation == hoverAnimation_ ? hoverAmount_ : pressAmount_;
    animation->stop();
    if (current == target) {
        return;
    }
    animation->setStartValue(current);
    animation->setEndValue(target);
    animation->start();
}

void RefreshButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    emit hoverChanged(true);
}

void RefreshButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    emit hoverChanged(false);
}

bool RefreshButton::hitButton(const QPoint& position) const {
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    return std::hypot(offset.x(), offset.y()) <= frameRadius;
}

const QPixmap& RefreshButton::icon(const QColor& colour) {
    if (icon_.isNull() || iconColour_ != colour || icon_.devicePixelRatio() != devicePixelRatioF()) {
        icon_ = SymbolIcon::pixmap(QStringLiteral("arrow.clockwise"), 14, colour, devicePixelRatioF());
        iconColour_ = colour;
    }
    return icon_;
}

void RefreshButton::paintEvent(QPaintEvent*) {
    const RefreshButtonAppearance look = currentAppearance();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(look.scale, look.scale);
    painter.translate(-centre);

    painter.setPen(Qt::NoPen);
    painter.setBrush(glow(centre, look.accent, look.glowOpacity, look.glowRadius));
    painter.drawEllipse(centre, frameRadius + 3 * look.glowRadius / 2, frameRadius + 3 * look.glowRadius / 2);
    // Ultra-thin material, then the accent over it.
    painter.setBrush(StatusPalette::rgb(0.55, 0.56, 0.6, 0.16));
    painter.drawEllipse(centre, frameRadius, frameRadius);
    painter.setBrush(StatusPalette::withOpacity(look.accent, look.fillOpacity));
    painter.drawEllipse(centre, frameRadius, frameRadius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(StatusPalette::withOpacity(look.accent, look.strokeOpacity), RefreshButtonStyle::strokeWidth));
    const qreal strokeRadius = frameRadius - RefreshButtonStyle::strokeWidth / 2;
    painter.drawEllipse(centre, strokeRadius, strokeRadius);

    const QPixmap& symbol = icon(look.accent.toRgb());
    const QSizeF symbolSize = QSizeF(symbol.size()) / symbol.devicePixelRatio();
    painter.drawPixmap(QPointF(centre.x() - symbolSize.width() / 2, centre.y() - symbolSize.height() / 2), symbol);
}

} // namespace quillstone
