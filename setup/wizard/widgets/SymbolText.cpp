#include "setup/wizard/widgets/SymbolText.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillstone {

SymbolText::SymbolText(const QString& symbol, const QString& text, const QFont& font, const QColor& colour,
                       QWidget* parent, int symbolSize)
    : QWidget(parent), symbolSize_(symbolSize > 0 ? symbolSize : font.pixelSize() + 3) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    symbol_ = WizardStyle::symbolLabel(symbol, symbolSize_, colour, this);
    text_ = WizardStyle::label(text, font, colour, this);
    layout->addWidget(symbol_, 0, Qt::AlignTop);
    layout->addWidget(text_, 1);
}

void SymbolText::setSymbol(const QString& symbol, const QColor& colour) {
    symbol_->setPixmap(WizardStyle::symbol(symbol, symbolSize_, colour, devicePixelRatioF()));
    WizardStyle::setTextColour(text_, colour);
}

void SymbolText::setText(const QString& text) { text_->setText(text); }

} // namespace quillstone
