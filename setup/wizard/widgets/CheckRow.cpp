#include "setup/wizard/widgets/CheckRow.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QLabel>

namespace quillstone {

CheckRow::CheckRow(const QString& text, QWidget* parent)
    : SymbolText("checkmark.circle.fill", text, WizardStyle::font(14), WizardStyle::mint(), parent, 17) {
    WizardStyle::setTextColour(textLabel(), WizardStyle::white(0.92));
}

} // namespace quillstone
