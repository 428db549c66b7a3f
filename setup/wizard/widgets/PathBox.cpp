#include "setup/wizard/widgets/PathBox.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quillstone {

PathBox::PathBox(const QString& path, QWidget* parent) : QFrame(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    label_ = WizardStyle::label(path, WizardStyle::monospaced(13), WizardStyle::white(0.95), this);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label_->setCursor(Qt::IBeamCursor);
    layout->addWidget(label_);
}

void PathBox::setPath(const QString& path) {
    if (label_->text() != path) {
        label_->setText(path);
    }
}

QString PathBox::path() const { return label_->text(); }

void PathBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = WizardStyle::cyan();
    fill.setAlphaF(0.1f);
    QColor edge = WizardStyle::cyan();
    edge.setAlphaF(0.3f);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

} // namespace quillstone
