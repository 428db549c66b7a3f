#include "status/widgets/GlassEffectView.h"

#include "status/widgets/SoftShadow.h"
#include "status/widgets/StatusPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quillstone {

using namespace StatusPalette;

namespace {

QLinearGradient diagonal(const QRectF& rect, std::initializer_list<QColor> stops) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    const qreal last = static_cast<qreal>(stops.size() - 1);
    qreal index = 0;
    for (const QColor& colour : stops) {
        gradient.setColorAt(index / last, colour);
        ++index;
    }
    return gradient;
}

QPainterPath rounded(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

GlassEffectView::GlassEffectView(QWidget* parent) : QWidget(parent) {
    setContentsMargins(padding, padding, padding, padding);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void GlassEffectView::setTranslucent(bool translucent) {
    if (translucent_ != translucent) {
        translucent_ = translucent;
        cache_ = QImage();
        update();
    }
}

void GlassEffectView::resizeEvent(QResizeEvent* event) {
    cache_ = QImage();
    QWidget::resizeEvent(event);
}

void GlassEffectView::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (cache_.isNull() || cache_.devicePixelRatio() != ratio) {
        cache_ = render(size(), ratio);
    }
    QPainter painter(this);
    if (translucent_) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    }
    painter.drawImage(0, 0, cache_);
}

QImage GlassEffectView::render(QSize size, qreal ratio) const {
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    // Without a compositor nothing shows through: the surroundings are the
    // darkest tone of the panel and the glass is solid.
    image.fill(translucent_ ? QColor(Qt::transparent) : rgb(0.01, 0.015, 0.03, 1.0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF panel = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(padding, padding, -padding, -padding);
    const QPainterPath shape = rounded(panel, cornerRadius);

    SoftShadow::of(shape, black(0.52), 22, ratio).paint(painter, {0, 10});
    SoftShadow::of(shape, withOpacity(systemBlue(), 0.16), 18, ratio).paint(painter, {-5, -4});

    painter.save();
    painter.setClipPath(shape);
    // The glass material; behind it, on a compositor, lies the desktop.
    painter.fillPath(shape, translucent_ ? rgb(0.11, 0.11, 0.12, 0.62) : rgb(0.11, 0.11, 0.12, 1.0));
    painter.fillPath(shape, rgb(0.006, 0.012, 0.028, 0.72));
    painter.fillPath(shape, diagonal(panel, {rgb(0.015, 0.055, 0.115, 0.86), rgb(0.01, 0.02, 0.045, 0.82),
                                             rgb(0.075, 0.025, 0.105, 0.64)}));
    painter.setCompositionMode(QPainter::CompositionMode_Screen);
    painter.fillPath(shape, diagonal(panel, {white(0.11), white(0.025), QColor(Qt::transparent)}));
    painter.restore();

    QPen outer(QBrush(diagonal(panel, {white(0.40), withOpacity(systemBlue(), 0.68), withOpacity(systemPurple(), 0.54),
                                       withOpacity(statusAccentGreen(), 0.48)})),
               2);
    painter.strokePath(shape, outer);
    const QRectF inset = panel.adjusted(4, 4, -4, -4);
    QPen inner(QBrush(diagonal(inset, {white(0.28), white(0.035), black(0.18)})), 1);
    painter.strokePath(rounded(inset, 29), inner);
    return image;
}

} // namespace quillstone
