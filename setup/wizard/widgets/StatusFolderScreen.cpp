#include "setup/wizard/widgets/StatusFolderScreen.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/PathBox.h"
#include "setup/wizard/widgets/SymbolText.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QLabel>

#include <QHBoxLayout>

namespace quillstone {

StatusFolderScreen::StatusFolderScreen(ContentView& view, QWidget* parent)
    : WizardScreen(view, symbol, title, subtitle, parent) {
    content()->addWidget(WizardStyle::label(locationIntro, WizardStyle::font(14), Qt::white, this));
    path_ = new PathBox(QString(), this);
    content()->addWidget(path_);
    content()->addWidget(WizardStyle::label(synchronisationHint, WizardStyle::font(13), WizardStyle::secondary(), this));

    choose_ = new WizardButton(chooseTitle, WizardButton::Kind::bordered, this);
    choose_->setSymbol("folder");
    choose_->setTint(WizardStyle::white(0.9));
    connect(choose_, &QAbstractButton::clicked, this, [this] { this->view().chooseStatusFolder(); });
    auto* row = new QHBoxLayout;
    row->addWidget(choose_);
    row->addStretch(1);
    content()->addLayout(row);

    content()->addWidget(
        new SymbolText("star.fill", proNote, WizardStyle::font(13, QFont::DemiBold), WizardStyle::accent(), this));
    content()->addWidget(WizardStyle::label(oneMacNote, WizardStyle::font(13), WizardStyle::white(0.85), this));
    content()->addStretch(1);
}

void StatusFolderScreen::refresh() { path_->setPath(QString::fromStdString(view().statusFileURL().string())); }

} // namespace quillstone
