#include "status/widgets/EntryBadge.h"

#include "platform/qt/SymbolIcon.h"
#include "status/widgets/StatusPalette.h"

#include <QPainter>

namespace quillstone {

EntryBadge::EntryBadge(QWidget* parent) : QWidget(parent) { setFixedSize(side, side); }

void EntryBadge::setSucceeded(bool succeeded) {
    if (succeeded_ != succeeded || symbol_.isNull()) {
        succeeded_ = succeeded;
        symbol_ = QPixmap();
        update();
    }
}

void EntryBadge::paintEvent(QPaintEvent*) {
    const QColor accent = succeeded_ ? StatusPalette::statusAccentGreen() : StatusPalette::statusAccentRose();
    if (symbol_.isNull() || symbol_.devicePixelRatio() != devicePixelRatioF()) {
        symbol_ = SymbolIcon::pixmap(succeeded_ ? QStringLiteral("checkmark") : QStringLiteral("exclamationmark"), 20,
                                     accent, devicePixelRatioF());
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
    painter.setPen(Qt::NoPen);
    painter.setBrush(StatusPalette::withOpacity(accent, 0.14));
    painter.drawEllipse(QRectF(rect()));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(StatusPalette::withOpacity(accent, 0.62), 1.5));
    painter.drawEllipse(circle);
    const QSizeF symbolSize = QSizeF(symbol_.size()) / symbol_.devicePixelRatio();
    painter.drawPixmap(QPointF((side - symbolSize.width()) / 2, (side - symbolSize.height()) / 2), symbol_);
}

} // namespace quillstone
