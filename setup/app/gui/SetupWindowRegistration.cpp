#include "setup/app/gui/SetupWindowRegistration.h"

#include <QEvent>

namespace quillstone {

SetupWindowRegistration::WindowView::WindowView(Register registerWindow, QWidget* parent)
    : QWidget(parent), register_(std::move(registerWindow)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    // A view created inside its window never sees a parent change.
    if (parent != nullptr && register_) {
        register_(window());
    }
}

bool SetupWindowRegistration::WindowView::event(QEvent* event) {
    bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange && parentWidget() != nullptr && register_) {
        register_(window());
    }
    return handled;
}

SetupWindowRegistration::SetupWindowRegistration(Register registerWindow) : register_(std::move(registerWindow)) {}

SetupWindowRegistration::WindowView* SetupWindowRegistration::makeView(QWidget* parent) const {
    return new WindowView(register_, parent);
}

} // namespace quillstone
