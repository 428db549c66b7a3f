#include "status/widgets/MonitorPill.h"

#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quillstone {

namespace {
constexpr int dotSize = 7;
constexpr int spacing = 6;
} // namespace

MonitorPill::MonitorPill(QWidget* parent)
    : QWidget(parent),
      text_(StatusFont::label(QString(), StatusFont::system(10, QFont::DemiBold), StatusPalette::white(0.72), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(9 + dotSize + spacing, 6, 9, 6);
    layout->setSpacing(0);
    layout->addWidget(text_);
}

void MonitorPill::setStatus(const QString& text, bool active) {
    if (text_->text() != text) {
        text_->setText(text);
        updateGeometry();
    }
    if (active_ != active) {
        active_ = active;
        update();
    }
}

QSize MonitorPill::sizeHint() const {
    const QMargins margins = layout()->contentsMargins();
    const QSize text = text_->sizeHint();
    return {text.width() + margins.left() + margins.right(),
            std::max(text.height(), dotSize) + margins.top() + margins.bottom()};
}

void MonitorPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF capsule = rect();
    const qreal radius = capsule.height() / 2;
    painter.setBrush(StatusPalette::white(0.06));
    painter.drawRoundedRect(capsule, radius, radius);
    painter.setBrush(active_ ? StatusPalette::statusAccentGreen() : StatusPalette::statusAccentRose());
    painter.drawEllipse(QRectF(9, (capsule.height() - dotSize) / 2, dotSize, dotSize));
}

} // namespace quillstone
