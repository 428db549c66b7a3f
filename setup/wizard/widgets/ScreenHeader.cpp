#include "setup/wizard/widgets/ScreenHeader.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quillstone {

namespace {
constexpr int tileSize = 62;
constexpr int symbolSize = 34;

QPixmap tile(const QString& symbol, qreal ratio) {
    QPixmap result(QSize(tileSize, tileSize) * ratio);
    result.setDevicePixelRatio(ratio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = WizardStyle::mint();
    fill.setAlphaF(0.12f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0, 0, tileSize, tileSize), 16, 16);
    const int offset = (tileSize - symbolSize) / 2;
    painter.drawPixmap(offset, offset, WizardStyle::symbol(symbol, symbolSize, WizardStyle::mint(), ratio));
    return result;
}
} // namespace

ScreenHeader::ScreenHeader(const QString& symbol, const QString& title, const QString& subtitle, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(18);
    tile_ = new QLabel(this);
    tile_->setFixedSize(tileSize, tileSize);
    layout->addWidget(tile_, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    title_ = WizardStyle::label(title, WizardStyle::font(32, QFont::Bold), Qt::white, this);
    subtitle_ = WizardStyle::label(subtitle, WizardStyle::font(16), WizardStyle::secondary(), this);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    layout->addLayout(texts, 1);
    setContent(symbol, title, subtitle);
}

void ScreenHeader::setContent(const QString& symbol, const QString& title, const QString& subtitle) {
    tile_->setPixmap(tile(symbol, devicePixelRatioF()));
    title_->setText(title);
    subtitle_->setText(subtitle);
}

} // namespace quillstone
