#include "setup/wizard/widgets/WizardTopBar.h"

#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace quillstone {

WizardTopBar::WizardTopBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(30, 20, 30, 20);
    layout->setSpacing(18);
    icon_ = new QLabel(this);
    icon_->setFixedSize(iconSize, iconSize);
    icon_->setVisible(false);
    layout->addWidget(icon_);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addStretch(1);
    auto* name = WizardStyle::label(title, WizardStyle::font(26, QFont::Bold), Qt::white, this);
    name->setWordWrap(false);
    texts->addWidget(name);
    texts->addWidget(WizardStyle::label(subtitle, WizardStyle::font(13), WizardStyle::secondary(), this));
    texts->addStretch(1);
    layout->addLayout(texts, 1);

    update_ = new WizardButton(QString(), WizardButton::Kind::bordered, this);
    update_->setVisible(false);
    layout->addWidget(update_, 0, Qt::AlignVCenter);
    step_ = WizardStyle::label(QString(), WizardStyle::font(13, QFont::DemiBold), WizardStyle::secondary(), this);
    step_->setWordWrap(false);
    layout->addWidget(step_, 0, Qt::AlignVCenter);
}

void WizardTopBar::setIcon(const QIcon& icon) {
    icon_->setPixmap(icon.pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));
    icon_->setVisible(!icon.isNull());
}

void WizardTopBar::setUpdateVersion(const QString& version) {
    if (!version.isEmpty()) {
        update_->setText(QStringLiteral("Update ") + version + QStringLiteral(" available"));
    }
    update_->setVisible(!version.isEmpty());
}

void WizardTopBar::setStepText(const QString& text) { step_->setText(text); }

} // namespace quillstone
