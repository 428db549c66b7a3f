#include "status/widgets/StatusEntryRow.h"

#include "status/widgets/EntryBadge.h"
#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace quillstone {

using namespace StatusPalette;

StatusEntryRow::StatusEntryRow(QWidget* parent)
    : QWidget(parent),
      badge_(new EntryBadge(this)),
      name_(StatusFont::label(QString(), StatusFont::system(15, QFont::DemiBold), Qt::white, this)),
      outcome_(StatusFont::label(QString(), StatusFont::system(12, QFont::DemiBold), statusAccentGreen(), this)),
      age_(StatusFont::label(QString(), StatusFont::system(11), white(0.66), this)),
      freeSpace_(StatusFont::label(QString(), StatusFont::monospaced(10), white(0.48), this)) {
    setFixedHeight(height);
    // A long name gives way to the trailing column rather than widening the panel.
    name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    name_->setMinimumWidth(1);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(name_);
    texts->addWidget(outcome_);
    auto* trailing = new QVBoxLayout;
    trailing->setSpacing(4);
    trailing->addWidget(age_, 0, Qt::AlignRight);
    trailing->addWidget(freeSpace_, 0, Qt::AlignRight);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);
    layout->addWidget(badge_, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->setAlignment(texts, Qt::AlignVCenter);
    layout->addLayout(trailing);
    layout->setAlignment(trailing, Qt::AlignVCenter);
    freeSpace_->hide();
}

QColor StatusEntryRow::accent() const { return succeeded_ ? statusAccentGreen() : statusAccentRose(); }

void StatusEntryRow::setText(QLabel* label, const QString& text) {
    if (label->text() != text) {
        label->setText(text);
    }
}

void StatusEntryRow::setRow(const StatusRow& row) {
    id_ = row.id;
    const QString name = QString::fromStdString(row.name);
    if (accessibleName() != name) {
        setAccessibleName(name);
    }
    if (row.succeeded != succeeded_) {
        succeeded_ = row.succeeded;
        update();
    }
    badge_->setSucceeded(row.succeeded);
    // The rose, as text on the dark card, falls just short of 4.5:1; a shade lighter reads.
    StatusFont::setTextColour(outcome_, succeeded_ ? accent() : accent().lighter(108));
    setText(name_, name);
    setText(outcome_, QString::fromStdString(row.statusText));
    setText(age_, QString::fromStdString(row.ageText));
    const QString freeSpace = QString::fromStdString(row.freeSpace.value_or(std::string()));
    setText(freeSpace_, freeSpace);
    freeSpace_->setVisible(!freeSpace.isEmpty());
}

void StatusEntryRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.6, 0.6, -0.6, -0.6);
    QPainterPath shape;
    shape.addRoundedRect(card, cornerRadius, cornerRadius);
    const QColor tint = accent();

    // Ultra-thin material, the dark fill, then the sheen that ends in the accent.
    painter.fillPath(shape, rgb(0.55, 0.56, 0.6, 0.10));
    painter.fillPath(shape, rgb(0.012, 0.025, 0.05, 0.76));
    QLinearGradient sheen(card.topLeft(), card.bottomRight());
    sheen.setColorAt(0, white(0.08));
    sheen.setColorAt(0.5, Qt::transparent);
    sheen.setColorAt(1, withOpacity(tint, 0.035));
    painter.fillPath(shape, sheen);

    QLinearGradient border(card.topLeft(), card.bottomRight());
    border.setColorAt(0, withOpacity(tint, 0.66));
    border.setColorAt(0.5, withOpacity(tint, 0.2));
    border.setColorAt(1, white(0.12));
    painter.strokePath(shape, QPen(QBrush(border), 1.2));
}

} // namespace quillstone
