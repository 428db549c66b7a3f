#include "setup/wizard/widgets/NumberedRow.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillstone {

NumberedRow::NumberedRow(int number, const QString& text, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto* badge = WizardStyle::label(QString::number(number), WizardStyle::font(12, QFont::Bold), Qt::white, this);
    badge->setWordWrap(false);
    badge->setAlignment(Qt::AlignCenter);
    badge->setFixedSize(22, 22);
    QColor fill = WizardStyle::accent();
    fill.setAlphaF(0.35f);
    badge->setStyleSheet(QStringLiteral("QLabel { background: %1; border-radius: 11px; }").arg(fill.name(QColor::HexArgb)));
    layout->addWidget(badge, 0, Qt::AlignTop);
    text_ = WizardStyle::label(text, WizardStyle::font(14), WizardStyle::white(0.92), this);
    layout->addWidget(text_, 1);
}

void NumberedRow::setText(const QString& text) { text_->setText(text); }

} // namespace quillstone
