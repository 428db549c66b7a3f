#include "setup/wizard/widgets/WizardFooter.h"

#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>

namespace quillstone {

namespace {
WizardButton* footerButton(const QString& title, WizardButton::Kind kind, const QColor& tint, QWidget* parent) {
    auto* button = new WizardButton(title, kind, parent);
    button->setControlSize(WizardButton::Size::large);
    button->setTint(tint);
    button->setMinimumWidth(110);
    return button;
}
} // namespace

WizardFooter::WizardFooter(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(30, 18, 30, 18);
    layout->setSpacing(12);
    back_ = footerButton(backTitle, WizardButton::Kind::bordered, WizardStyle::white(0.9), this);
    layout->addWidget(back_);
    layout->addStretch(1);
    removal_ = footerButton(QString(), WizardButton::Kind::bordered, WizardStyle::orange(), this);
    layout->addWidget(removal_);
    continue_ = footerButton(continueTitle, WizardButton::Kind::prominent, WizardStyle::accent(), this);
    layout->addWidget(continue_);
    finish_ = footerButton(finishTitle, WizardButton::Kind::prominent, WizardStyle::accent(), this);
    layout->addWidget(finish_);
    setLastStep(false, QString());
}

void WizardFooter::setLastStep(bool lastStep, const QString& removalTitle) {
    continue_->setVisible(!lastStep);
    removal_->setText(removalTitle);
    removal_->setVisible(lastStep);
    finish_->setVisible(lastStep);
}

} // namespace quillstone
