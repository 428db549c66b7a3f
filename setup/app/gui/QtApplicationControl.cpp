#include "setup/app/gui/QtApplicationControl.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <iostream>

namespace quillstone {

namespace {
bool hasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }
} // namespace

void QtApplicationControl::setAccessoryActivationPolicy() {
    // Linux desktops have no Dock or per-application menu bar to leave out.
}

void QtApplicationControl::activateIgnoringOtherApps() {
    if (!hasWidgets()) {
        return;
    }
    if (QWidget* window = QApplication::activeWindow()) {
        window->raise();
        window->activateWindow();
    }
}

void QtApplicationControl::presentError(const std::string& description) {
    if (hasWidgets()) {
        QMessageBox::critical(nullptr, QString::fromUtf8(errorAlertTitle), QString::fromStdString(description));
    } else {
        std::cerr << description << std::endl;
    }
}

} // namespace quillstone
