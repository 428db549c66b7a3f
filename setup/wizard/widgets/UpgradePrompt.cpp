#include "setup/wizard/widgets/UpgradePrompt.h"

#include "setup/wizard/widgets/SymbolText.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QVBoxLayout>

namespace quillstone {

namespace {
// The card's own dark fill with its thin white edge.
class PromptCard : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(WizardStyle::white(0.16), 1));
        painter.setBrush(QColor::fromRgbF(0.035f, 0.04f, 0.075f));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 18, 18);
    }
};
} // namespace

UpgradePrompt::UpgradePrompt(QWidget* parent) : QWidget(parent) {
    card_ = new PromptCard(this);
    card_->setFixedWidth(cardWidth);
    auto* outer = new QVBoxLayout(this);
    outer->addStretch(1);
    outer->addWidget(card_, 0, Qt::AlignHCenter);
    outer->addStretch(1);

    auto* layout = new QVBoxLayout(card_);
    layout->setContentsMargins(28, 28, 28, 28);
    layout->setSpacing(20);
    layout->addWidget(WizardStyle::symbolLabel("arrow.triangle.2.circlepath.circle.fill", 44, WizardStyle::accent(), card_));

    auto* heading = new QVBoxLayout;
    heading->setSpacing(6);
    heading->addWidget(WizardStyle::label(title, WizardStyle::font(24, QFont::Bold), Qt::white, card_));
    installed_ = WizardStyle::label(QString(), WizardStyle::font(13), WizardStyle::secondary(), card_);
    heading->addWidget(installed_);
    layout->addLayout(heading);
    question_ = WizardStyle::label(QString(), WizardStyle::font(16, QFont::DemiBold), Qt::white, card_);
    layout->addWidget(question_);
    keeps_ = WizardStyle::label(QString(), WizardStyle::font(14), WizardStyle::secondary(), card_);
    layout->addWidget(keeps_);
    error_ = new SymbolText("exclamationmark.triangle.fill", QString(), WizardStyle::font(13, QFont::DemiBold),
                            WizardStyle::orange(), card_);
    layout->addWidget(error_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel_ = new WizardButton(cancelTitle, WizardButton::Kind::bordered, card_);
    cancel_->setTint(WizardStyle::white(0.9));
    upgrade_ = new WizardButton(upgradeTitle, WizardButton::Kind::prominent, card_);
    upgrade_->setMinimumWidth(std::max(88, upgrade_->sizeHint().width()));
    upgrade_->setDefault(true);
    buttons->addWidget(cancel_);
    buttons->addWidget(upgrade_);
    layout->addLayout(buttons);

    // Window-wide keys, live only while the prompt is shown.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cancel_, &QAbstractButton::click);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, upgrade_, &QAbstractButton::click);
    }
    setErrorMessage(QString());
}

void UpgradePrompt::setTexts(const QString& installed, const QString& question, const QString& keeps) {
    installed_->setText(installed);
    question_->setText(question);
    keeps_->setText(keeps);
    fitCard();
}

void UpgradePrompt::fitCard() {
    // Wrapped texts need the card's real width to know their height.
    card_->setFixedHeight(card_->layout()->totalHeightForWidth(cardWidth));
}

void UpgradePrompt::setErrorMessage(const QString& message) {
    error_->setText(message);
    error_->setVisible(!message.isEmpty());
    fitCard();
}

void UpgradePrompt::setInProgress(bool inProgress) {
    cancel_->setEnabled(!inProgress);
    upgrade_->setEnabled(!inProgress);
    upgrade_->setBusy(inProgress);
}

void UpgradePrompt::present(bool shown) {
    QWidget* window = parentWidget();
    const bool onScreen = window != nullptr && window->isVisible();
    const bool up = window == nullptr ? isVisible() : isVisibleTo(window);
    if (shown) {
        leaving_ = false;
        if (!up) {
            setVisible(true);
            upgrade_->setFocus();
            if (onScreen) {
                fade(true);
            }
        }
    } else if (!leaving_) {
        if (onScreen && up) {
            leaving_ = true;
            fade(false);
        } else {
            setVisible(false);
        }
    }
}

void UpgradePrompt::fade(bool in) {
    auto* effect = new QGraphicsOpacityEffect(this);
    setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity", effect);
    animation->setDuration(180);
    animation->setStartValue(in ? 0.0 : 1.0);
    animation->setEndValue(in ? 1.0 : 0.0);
    connect(animation, &QPropertyAnimation::finished, this, [this, in] {
        if (!in && leaving_) {
            leaving_ = false;
            setVisible(false);
        }
        setGraphicsEffect(nullptr);
    });
    animation->start();
}

void UpgradePrompt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.62f));
}

} // namespace quillstone
