#pragma once

#include "setup/wizard/widgets/SymbolText.h"

namespace quillstone {

// One line of a checklist: a mint check and its text.
class CheckRow : public SymbolText {
public:
    explicit CheckRow(const QString& text, QWidget* parent = nullptr);
};

} // namespace quillstone
