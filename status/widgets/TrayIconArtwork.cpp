#include "status/widgets/TrayIconArtwork.h"

#include "status/widgets/StatusFont.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillstone::TrayIconArtwork {

namespace {

QPixmap render(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = StatusFont::system(11 * side / 22, QFont::DemiBold);
    // Narrow desktop fonts aside, keep the three letters inside the square.
    const QString text = QString::fromUtf8(label);
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > side - 1) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    QPainterPath path;
    const QFontMetrics metrics(font);
    const qreal x = (side - metrics.horizontalAdvance(text)) / 2.0;
    const qreal y = (side + metrics.capHeight()) / 2.0;
    path.addText(QPointF(x, y), font, text);
    // A thin dark edge keeps the white letters legible on light panels too.
    painter.strokePath(path, QPen(QColor(0, 0, 0, 110), std::max(1.0, side / 16.0)));
    painter.fillPath(path, Qt::white);
    return pixmap;
}

} // namespace

QIcon icon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(render(side));
    }
    return icon;
}

} // namespace quillstone::TrayIconArtwork
