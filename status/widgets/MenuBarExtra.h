#pragma once

#include <QElapsedTimer>
#include <QObject>

class QSystemTrayIcon;

namespace quillstone {

class StatusPanel;

// The menu-bar item and its panel. A click on the item toggles the panel beside
// it, and the panel goes away when it loses focus. Without a system tray the
// panel is an ordinary window from the start; a tray that appears later gets
// the item too.
class MenuBarExtra : public QObject {
public:
    static constexpr const char* accessibleLabel = "Quillstone";
    static constexpr const char* windowTitle = "Quillstone";

    MenuBarExtra(StatusPanel& panel, bool translucent);
    ~MenuBarExtra() override;

    // Shows the item, and the panel as a window when there is no tray.
    void start();
    // Brings the panel up: beside the item when there is one, else as the window.
    void showPanel();
    void togglePanel();

    QSystemTrayIcon& trayIcon() const { return *tray_; }
    bool isPopup() const { return popup_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAsPopup();
    void showAsWindow();
    void setPopup(bool popup);

    StatusPanel& panel_;
    QSystemTrayIcon* tray_;
    bool popup_ = false;
    // When focus loss last hid the popup: the click on the item that took the
    // focus must not bring it straight back.
    QElapsedTimer hiddenByFocusLoss_;
    bool hiding_ = false;
};

} // namespace quillstone
