#include "setup/wizard/widgets/WizardCard.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QPainter>

namespace quillstone {

WizardCard::WizardCard(QWidget* parent, QColor tint) : QFrame(parent), content_(new QVBoxLayout(this)), tint_(tint) {
    content_->setContentsMargins(18, 16, 18, 16);
    content_->setSpacing(10);
}

void WizardCard::setTint(const QColor& tint) {
    tint_ = tint;
    update();
}

void WizardCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = tint_.isValid() ? tint_ : WizardStyle::white(1.0);
    fill.setAlphaF(tint_.isValid() ? 0.1f : 0.055f);
    QColor edge = tint_.isValid() ? tint_ : WizardStyle::white(1.0);
    edge.setAlphaF(tint_.isValid() ? 0.32f : 0.1f);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
}

} // namespace quillstone
