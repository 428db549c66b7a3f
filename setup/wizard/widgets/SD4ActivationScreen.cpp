#include "setup/wizard/widgets/SD4ActivationScreen.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/CheckRow.h"
#include "setup/wizard/widgets/SymbolText.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardCard.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillstone {

SD4ActivationScreen::SD4ActivationScreen(ContentView& view, QWidget* parent)
    : WizardScreen(view, symbol, title, subtitle, parent) {
    auto* card = new WizardCard(this);
    for (const char* item : checklist) {
        card->content()->addWidget(new CheckRow(item, card));
    }
    content()->addWidget(card);

    shortcut_ = new QWidget(this);
    auto* shortcutLayout = new QVBoxLayout(shortcut_);
    shortcutLayout->setContentsMargins(0, 0, 0, 0);
    shortcutLayout->setSpacing(10);
    shortcutLayout->addWidget(
        new SymbolText("square.and.arrow.down", shortcutTitle, WizardStyle::headline(), Qt::white, shortcut_));
    shortcutLayout->addWidget(WizardStyle::label(shortcutText, WizardStyle::font(13), WizardStyle::secondary(), shortcut_));
    installShortcut_ = new WizardButton(installShortcutTitle, WizardButton::Kind::prominent, shortcut_);
    installShortcut_->setSymbol("square.and.arrow.down.fill");
    installShortcut_->setMinimumWidth(std::max(190, installShortcut_->sizeHint().width()));
    connect(installShortcut_, &QAbstractButton::clicked, this, [this] { this->view().openShortcutInstaller(); });
    auto* shortcutRow = new QHBoxLayout;
    shortcutRow->addWidget(installShortcut_);
    shortcutRow->addStretch(1);
    shortcutLayout->addLayout(shortcutRow);
    content()->addWidget(shortcut_);

    activate_ = new WizardButton(QString(), WizardButton::Kind::prominent, this);
    activate_->setControlSize(WizardButton::Size::large);
    connect(activate_, &QAbstractButton::clicked, this, [this] { this->view().activateSD4Monitor(); });
    auto* activateRow = new QHBoxLayout;
    activateRow->addWidget(activate_);
    activateRow->addStretch(1);
    content()->addLayout(activateRow);

    message_ = WizardStyle::label(QString(), WizardStyle::font(13), WizardStyle::orange(), this);
    content()->addWidget(message_);
    content()->addStretch(1);
}

void SD4ActivationScreen::refresh() {
    const bool installed = view().shortcutIsInstalled();
    const bool active = view().activationSucceeded();
    shortcut_->setVisible(!installed);
    activate_->setVisible(installed);
    activate_->setText(QString::fromStdString(view().activationButtonTitle()));
    activate_->setSymbol(active ? "checkmark.circle.fill" : "bolt.fill");
    activate_->setTint(active ? WizardStyle::mint() : WizardStyle::accent());
    activate_->setMinimumWidth(activate_->sizeHint().width());
    const QString message = QString::fromStdString(view().activationMessage());
    message_->setText(message);
    message_->setVisible(!message.isEmpty());
    WizardStyle::setTextColour(message_, active ? WizardStyle::mint() : WizardStyle::orange());
}

} // namespace quillstone
