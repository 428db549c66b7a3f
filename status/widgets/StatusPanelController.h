#pragma once

#include <QObject>

#include <functional>

namespace quillstone {

class StatusPanel;
class StatusPopover;

// Keeps the panel showing the popover's state and hands the panel's controls
// to the popover's operations. The first time the panel is shown counts as
// its first appearance.
class StatusPanelController : public QObject {
public:
    StatusPanelController(StatusPopover& popover, StatusPanel& panel, std::function<void()> stopApp);

    // Draws the state as it is now; the popover calls this after each change.
    void show();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StatusPopover& popover_;
    StatusPanel& panel_;
};

} // namespace quillstone
