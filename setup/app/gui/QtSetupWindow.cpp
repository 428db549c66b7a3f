#include "setup/app/gui/QtSetupWindow.h"

namespace quillstone {

QtSetupWindow::QtSetupWindow(QWidget* window) : window_(window) {}

void QtSetupWindow::deminiaturize() {
    if (window_ && window_->isMinimized()) {
        window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    }
}

void QtSetupWindow::makeKeyAndOrderFront() {
    if (window_) {
        window_->show();
        window_->raise();
        window_->activateWindow();
    }
}

void QtSetupWindow::detachContentView() {
    if (!window_) {
        return;
    }
    for (QWidget* child : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        delete child;
    }
}

} // namespace quillstone
