#include "status/widgets/GradientLabel.h"

#include <QLinearGradient>
#include <QPainter>

namespace quillstone {

GradientLabel::GradientLabel(const QString& text, QColor leading, QColor trailing, QWidget* parent)
    : QLabel(text, parent), leading_(leading), trailing_(trailing) {
    setTextFormat(Qt::PlainText);
}

void GradientLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect area = contentsRect();
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int left = area.left();
    QLinearGradient gradient(left, 0, left + textWidth, 0);
    gradient.setColorAt(0, leading_);
    gradient.setColorAt(1, trailing_);
    painter.setPen(QPen(QBrush(gradient), 1));
    painter.setFont(font());
    painter.drawText(area, static_cast<int>(alignment()), text());
}

} // namespace quillstone
