#include "setup/wizard/widgets/WelcomeScreen.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/CheckRow.h"
#include "setup/wizard/widgets/RemovalBox.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardCard.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QLabel>

namespace quillstone {

WelcomeScreen::WelcomeScreen(ContentView& view, QWidget* parent)
    : WizardScreen(view, symbol, title, subtitle, parent) {
    version_ = WizardStyle::label(QString(), WizardStyle::font(13), WizardStyle::white(0.85), this);
    content()->addWidget(version_);

    auto* card = new WizardCard(this);
    card->content()->addWidget(WizardStyle::label(checklistTitle, WizardStyle::headline(), Qt::white, card));
    for (const char* item : checklist) {
        card->content()->addWidget(new CheckRow(item, card));
    }
    content()->addWidget(card);

    removal_ = new RemovalBox(this);
    connect(removal_->removeButton(), &QAbstractButton::clicked, this, [this] { this->view().requestWelcomeRemoval(); });
    content()->addWidget(removal_);

    content()->addWidget(WizardStyle::label(privacyNote, WizardStyle::font(13), WizardStyle::secondary(), this));
    content()->addStretch(1);
}

QLabel* WelcomeScreen::resultLine() const { return removal_->message(); }

void WelcomeScreen::refresh() {
    version_->setText(QString::fromStdString(view().versionText()));
    removal_->setVisible(view().monitorIsInstalled());
    removal_->setMessage(QString::fromStdString(view().monitorActionMessage()));
}

} // namespace quillstone
