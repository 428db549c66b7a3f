#include "setup/wizard/widgets/NextStepsScreen.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/CheckRow.h"
#include "setup/wizard/widgets/NumberedRow.h"
#include "setup/wizard/widgets/PathBox.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardCard.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>

namespace quillstone {

namespace {
template <std::size_t n>
WizardCard* checklistCard(const char* const (&own)[n], QWidget* parent) {
    auto* card = new WizardCard(parent);
    for (const char* item : own) {
        card->content()->addWidget(new CheckRow(item, card));
    }
    for (const char* item : NextStepsScreen::commonChecklist) {
        card->content()->addWidget(new CheckRow(item, card));
    }
    return card;
}
} // namespace

NextStepsScreen::NextStepsScreen(ContentView& view, QWidget* parent)
    : WizardScreen(view, symbol, title, subtitle, parent) {
    sd4Checklist_ = checklistCard(sd4Checklist, this);
    classicChecklist_ = checklistCard(classicChecklist, this);
    content()->addWidget(sd4Checklist_);
    content()->addWidget(classicChecklist_);

    instructions_ = new WizardCard(this);
    instructions_->content()->addWidget(new NumberedRow(1, classicStepOne, instructions_));
    instructions_->content()->addWidget(new NumberedRow(2, classicStepTwo, instructions_));
    selectScript_ = new NumberedRow(3, QString(), instructions_);
    instructions_->content()->addWidget(selectScript_);
    instructions_->content()->addWidget(new PathBox(scheduledCopiesPath, instructions_));
    content()->addWidget(instructions_);

    guide_ = new WizardButton(guideTitle, WizardButton::Kind::bordered, this);
    guide_->setSymbol("safari.fill");
    guide_->setTint(WizardStyle::cyan());
    connect(guide_, &QAbstractButton::clicked, this, [this] { this->view().openSetupGuide(); });
    auto* row = new QHBoxLayout;
    row->addWidget(guide_);
    row->addStretch(1);
    content()->addLayout(row);
    content()->addStretch(1);
}

void NextStepsScreen::refresh() {
    const bool classic = view().selectedIntegration() == QuillstoneIntegration::classic;
    sd4Checklist_->setVisible(!classic);
    classicChecklist_->setVisible(classic);
    instructions_->setVisible(classic);
    selectScript_->setText(QString::fromStdString(view().classicSelectScriptText()));
}

} // namespace quillstone
