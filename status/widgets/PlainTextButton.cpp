#include "status/widgets/PlainTextButton.h"

#include <QPainter>

namespace quillstone {

PlainTextButton::PlainTextButton(const QString& title, const QFont& font, const QColor& colour, QWidget* parent)
    : QAbstractButton(parent), colour_(colour) {
    setText(title);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

QSize PlainTextButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 4, metrics.height() + 4};
}

void PlainTextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    QColor colour = colour_;
    if (isDown()) {
        colour.setAlphaF(colour.alphaF() * 0.6f);
    }
    painter.setPen(colour);
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace quillstone
