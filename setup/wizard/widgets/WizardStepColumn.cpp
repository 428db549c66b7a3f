#include "setup/wizard/widgets/WizardStepColumn.h"

#include "setup/wizard/widgets/WizardStepRow.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quillstone {

WizardStepColumn::WizardStepColumn(const QStringList& steps, QWidget* parent) : QWidget(parent) {
    setFixedWidth(width);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(16);
    for (int index = 0; index < steps.size(); ++index) {
        rows_.push_back(new WizardStepRow(index, steps[index], this));
        layout->addWidget(rows_.back());
    }
    layout->addStretch(1);
    guide_ = WizardStyle::label(QString(), WizardStyle::font(12), WizardStyle::secondary(), this);
    guide_->setVisible(false);
    layout->addWidget(guide_);
    setCurrentStep(0);
}

void WizardStepColumn::setCurrentStep(int step) {
    for (int index = 0; index < static_cast<int>(rows_.size()); ++index) {
        rows_[index]->setProgress(index < step    ? WizardStepRow::Progress::finished
                                  : index == step ? WizardStepRow::Progress::current
                                                  : WizardStepRow::Progress::later);
    }
}

void WizardStepColumn::setGuideAddress(const QString& address) {
    guide_->setText(address);
    guide_->setVisible(!address.isEmpty());
}

void WizardStepColumn::paintEvent(QPaintEvent*) {
    // A thin dark material, tinted deep blue.
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0.01f, 0.018f, 0.046f, 0.68f));
}

} // namespace quillstone
