#include "status/widgets/ProminentButton.h"

#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"

#include <QPainter>

namespace quillstone {

namespace {
constexpr int buttonHeight = 24;
constexpr qreal radius = 6;
} // namespace

ProminentButton::ProminentButton(const QString& title, const QColor& tint, QWidget* parent)
    : QAbstractButton(parent), tint_(tint) {
    setText(title);
    setFont(StatusFont::system(13, QFont::Medium));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::ArrowCursor);
}

QSize ProminentButton::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(text()) + 24, buttonHeight};
}

QSize ProminentButton::minimumSizeHint() const { return sizeHint(); }

void ProminentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = StatusPalette::fillUnderWhiteText(tint_);
    if (!isEnabled()) {
        fill.setAlphaF(0.45f);
    } else if (isDown()) {
        fill = fill.darker(125);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace quillstone
