#include "status/widgets/MenuBarExtra.h"

#include "status/widgets/StatusPanel.h"
#include "status/widgets/TrayIconArtwork.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>

namespace quillstone {

namespace {
constexpr qint64 clickAfterFocusLossMs = 300;
} // namespace

MenuBarExtra::MenuBarExtra(StatusPanel& panel, bool translucent)
    : QObject(&panel), panel_(panel), tray_(new QSystemTrayIcon(this)) {
    panel_.setWindowTitle(QString::fromUtf8(windowTitle));
    panel_.setAttribute(Qt::WA_TranslucentBackground, translucent);
    panel_.setTranslucent(translucent);
    panel_.installEventFilter(this);
    tray_->setIcon(TrayIconArtwork::icon());
    tray_->setToolTip(QString::fromUtf8(accessibleLabel));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // The second press of a quick pair reports DoubleClick instead of Trigger.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
            togglePanel();
        }
    });
}

MenuBarExtra::~MenuBarExtra() = default;

void MenuBarExtra::start() {
    // Shown even without a tray: Qt embeds the item once a tray turns up.
    tray_->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showAsWindow();
    }
}

void MenuBarExtra::showPanel() {
    if (QSystemTrayIcon::isSystemTrayAvailable() && !(panel_.isVisible() && !popup_)) {
        showAsPopup();
    } else {
        showAsWindow();
    }
}

void MenuBarExtra::togglePanel() {
    if (panel_.isVisible()) {
        // Hiding the active window deactivates it; that is not a loss of focus.
        hiding_ = true;
        panel_.hide();
        hiding_ = false;
        return;
    }
    if (hiddenByFocusLoss_.isValid() && hiddenByFocusLoss_.elapsed() < clickAfterFocusLossMs) {
        hiddenByFocusLoss_.invalidate();
        return;
    }
    showAsPopup();
}

void MenuBarExtra::setPopup(bool popup) {
    if (popup_ == popup && panel_.windowHandle() != nullptr) {
        return;
    }
    popup_ = popup;
    // This hides the panel; the caller shows it again in its new role.
    panel_.setWindowFlags(popup ? Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint : Qt::Window);
}

void MenuBarExtra::showAsPopup() {
    setPopup(true);
    panel_.adjustSize();
    const QRect item = tray_->geometry();
    QScreen* screen = item.isValid() ? QGuiApplication::screenAt(item.center()) : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = panel_.size();
    QPoint position;
    if (item.isValid()) {
        // Below an item in the upper half of the screen, above one in the lower half.
        const int x = item.center().x() - size.width() / 2;
        const int y = item.center().y() < area.center().y() ? item.bottom() + 1 : item.top() - size.height();
        position = {x, y};
    } else {
        position = {area.right() - size.width(), area.top()};
    }
    position.setX(std::clamp(position.x(), area.left(), std::max(area.left(), area.right() - size.width() + 1)));
    position.setY(std::clamp(position.y(), area.top(), std::max(area.top(), area.bottom() - size.height() + 1)));
    panel_.move(position);
    panel_.show();
    panel_.raise();
    panel_.activateWindow();
    // Hidden while active and shown again soon after, the panel is still the focus
    // window to Qt, which then reports no activation; its next focus loss would go unseen.
    if (QGuiApplication::focusWindow() == panel_.windowHandle() && QApplication::activeWindow() != &panel_) {
        QApplication::setActiveWindow(&panel_);
    }
}

void MenuBarExtra::showAsWindow() {
    setPopup(false);
    panel_.show();
    panel_.raise();
    panel_.activateWindow();
}

bool MenuBarExtra::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &panel_) {
        return false;
    }
    if (event->type() == QEvent::WindowDeactivate && popup_ && panel_.isVisible() && !hiding_) {
        panel_.hide();
        hiddenByFocusLoss_.start();
    } else if (event->type() == QEvent::Close && !QSystemTrayIcon::isSystemTrayAvailable()) {
        // Closing the only way in ends the program; started again, it comes back.
        QCoreApplication::quit();
    }
    return false;
}

} // namespace quillstone
