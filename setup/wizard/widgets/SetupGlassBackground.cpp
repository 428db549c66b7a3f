#include "setup/wizard/widgets/SetupGlassBackground.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QPainter>
#include <QRadialGradient>

namespace quillstone {

SetupGlassBackground::SetupGlassBackground(bool translucent, QWidget* parent)
    : QWidget(parent), translucent_(translucent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SetupGlassBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    // The heads-up window material: near black, a touch of blue.
    QColor base(14, 15, 24);
    base.setAlphaF(translucent_ ? 0.82f : 1.0f);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(area, base);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    auto glow = [&](QPointF centre, qreal radius, QColor colour, float strength) {
        QRadialGradient gradient(centre, radius);
        colour.setAlphaF(strength);
        gradient.setColorAt(0, colour);
        colour.setAlphaF(0);
        gradient.setColorAt(1, colour);
        painter.fillRect(area, gradient);
    };
    glow({area.width() * 0.12, area.height() * 0.02}, area.width() * 0.55, WizardStyle::accent(), 0.2f);
    glow({area.width() * 0.95, area.height() * 0.98}, area.width() * 0.6, QColor(40, 110, 255), 0.16f);
    glow({area.width() * 0.7, area.height() * 0.25}, area.width() * 0.35, WizardStyle::cyan(), 0.05f);
}

} // namespace quillstone
