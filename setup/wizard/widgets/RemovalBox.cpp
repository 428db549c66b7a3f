#include "setup/wizard/widgets/RemovalBox.h"

#include "setup/wizard/widgets/SymbolText.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillstone {

RemovalBox::RemovalBox(QWidget* parent) : WizardCard(parent, WizardStyle::mint()) {
    content()->addWidget(new SymbolText("checkmark.circle.fill", installedTitle, WizardStyle::headline(),
                                        WizardStyle::mint(), this));
    content()->addWidget(WizardStyle::label(explanation, WizardStyle::font(13), WizardStyle::secondary(), this));
    remove_ = new WizardButton(removeTitle, WizardButton::Kind::bordered, this);
    remove_->setTint(WizardStyle::orange());
    auto* row = new QHBoxLayout;
    row->addWidget(remove_);
    row->addStretch(1);
    content()->addLayout(row);
    message_ = WizardStyle::label(QString(), WizardStyle::font(13), WizardStyle::orange(), this);
    content()->addWidget(message_);
    setMessage(QString());
}

void RemovalBox::setMessage(const QString& message) {
    message_->setText(message);
    message_->setVisible(!message.isEmpty());
}

} // namespace quillstone
