#include "setup/wizard/widgets/WizardScreen.h"

#include "setup/wizard/widgets/ScreenHeader.h"

namespace quillstone {

WizardScreen::WizardScreen(ContentView& view, const QString& symbol, const QString& title, const QString& subtitle,
                           QWidget* parent)
    : QWidget(parent), view_(view) {
    content_ = new QVBoxLayout(this);
    content_->setContentsMargins(34, 30, 34, 30);
    content_->setSpacing(18);
    header_ = new ScreenHeader(symbol, title, subtitle, this);
    content_->addWidget(header_);
    content_->addSpacing(4);
}

} // namespace quillstone
