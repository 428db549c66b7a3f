#include "setup/wizard/widgets/ClassicInstallScreen.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/CheckRow.h"
#include "setup/wizard/widgets/PathBox.h"
#include "setup/wizard/widgets/SymbolText.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardCard.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillstone {

ClassicInstallScreen::ClassicInstallScreen(ContentView& view, QWidget* parent)
    : WizardScreen(view, symbol, title, subtitle, parent) {
    path_ = new PathBox(QString(), this);
    content()->addWidget(path_);

    auto* card = new WizardCard(this);
    for (const char* item : checklist) {
        card->content()->addWidget(new CheckRow(item, card));
    }
    content()->addWidget(card);

    existing_ = new WizardCard(this, WizardStyle::orange());
    existing_->content()->addWidget(WizardStyle::label(existingTitle, WizardStyle::headline(), Qt::white, existing_));
    existingRows_ = new QWidget(existing_);
    auto* rows = new QVBoxLayout(existingRows_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(8);
    existing_->content()->addWidget(existingRows_);
    existing_->content()->addWidget(WizardStyle::label(existingText, WizardStyle::font(13), WizardStyle::secondary(), existing_));
    existing_->setVisible(false);
    content()->addWidget(existing_);

    auto* administrator = new WizardCard(this);
    administrator->content()->addWidget(
        new SymbolText("lock.shield.fill", administratorTitle, WizardStyle::headline(), Qt::white, administrator));
    administrator->content()->addWidget(
        WizardStyle::label(administratorText, WizardStyle::font(13), WizardStyle::secondary(), administrator));
    content()->addWidget(administrator);

    install_ = new WizardButton(QString(), WizardButton::Kind::prominent, this);
    install_->setControlSize(WizardButton::Size::large);
    connect(install_, &QAbstractButton::clicked, this, [this] { this->view().requestClassicInstallation(); });
    auto* row = new QHBoxLayout;
    row->addWidget(install_);
    row->addStretch(1);
    content()->addLayout(row);

    message_ = WizardStyle::label(QString(), WizardStyle::font(13), WizardStyle::orange(), this);
    content()->addWidget(message_);
    content()->addStretch(1);
}

void ClassicInstallScreen::refresh() {
    path_->setPath(QString::fromStdString(view().installedScriptURL().string()));

    QStringList labels;
    for (const std::string& label : view().existingItemLabels()) {
        labels << QString::fromStdString(label);
    }
    showExistingItems(labels);

    const bool installing = view().isInstalling();
    const bool installed = view().installationSucceeded();
    install_->setText(QString::fromStdString(view().installationButtonTitle()));
    install_->setSymbol(installed ? "checkmark.circle.fill" : "arrow.down.circle.fill");
    install_->setTint(installed ? WizardStyle::mint() : WizardStyle::accent());
    install_->setMinimumWidth(install_->sizeHint().width());
    install_->setBusy(installing);
    install_->setEnabled(!installing);

    const QString message = QString::fromStdString(view().installationMessage());
    message_->setText(message);
    message_->setVisible(!message.isEmpty());
    WizardStyle::setTextColour(message_, installed ? WizardStyle::mint() : WizardStyle::orange());
}

void ClassicInstallScreen::showExistingItems(const QStringList& labels) {
    existing_->setVisible(!labels.isEmpty());
    if (labels == shownLabels_) {
        return;
    }
    shownLabels_ = labels;
    for (QWidget* row : existingRows_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        delete row;
    }
    for (const QString& label : labels) {
        existingRows_->layout()->addWidget(new CheckRow(label, existingRows_));
    }
}

} // namespace quillstone
