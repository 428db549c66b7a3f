#include "setup/wizard/widgets/IntegrationScreen.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/OptionCard.h"
#include "setup/wizard/widgets/WizardCard.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QLabel>

namespace quillstone {

IntegrationScreen::IntegrationScreen(ContentView& view, QWidget* parent)
    : WizardScreen(view, symbol, title, subtitle, parent) {
    sd4_ = new OptionCard(sd4Title, sd4Badge, sd4Text, this);
    classic_ = new OptionCard(classicTitle, QString(), classicText, this);
    content()->addWidget(sd4_);
    content()->addWidget(classic_);
    connect(sd4_, &OptionCard::chosen, this, [this] { this->view().selectIntegration(QuillstoneIntegration::sd4); });
    connect(classic_, &OptionCard::chosen, this,
            [this] { this->view().selectIntegration(QuillstoneIntegration::classic); });

    note_ = new WizardCard(this, WizardStyle::orange());
    note_->content()->addWidget(WizardStyle::label(noteTitle, WizardStyle::headline(), Qt::white, note_));
    note_->content()->addWidget(WizardStyle::label(noteText, WizardStyle::font(13), WizardStyle::secondary(), note_));
    content()->addWidget(note_);
    content()->addStretch(1);
}

void IntegrationScreen::refresh() {
    const bool sd4 = view().selectedIntegration() == QuillstoneIntegration::sd4;
    sd4_->setSelected(sd4);
    classic_->setSelected(!sd4);
    note_->setVisible(sd4);
}

} // namespace quillstone
