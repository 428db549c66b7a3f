#include "status/widgets/StatusPanelController.h"

#include "status/StatusPopover.h"
#include "status/widgets/StatusPanel.h"

#include <QEvent>

namespace quillstone {

StatusPanelController::StatusPanelController(StatusPopover& popover, StatusPanel& panel, std::function<void()> stopApp)
    : QObject(&panel), popover_(popover), panel_(panel) {
    connect(&panel, &StatusPanel::refreshRequested, this, [this] { popover_.refreshAction(); });
    connect(&panel, &StatusPanel::refreshHoverChanged, this, [this](bool hovered) { popover_.setRefreshHovered(hovered); });
    connect(&panel, &StatusPanel::restartRequested, this, [this] { popover_.restartMonitor(); });
    connect(&panel, &StatusPanel::updateRequested, this, [this] { popover_.openAvailableUpdate(); });
    connect(&panel, &StatusPanel::stopRequested, this, [stop = std::move(stopApp)] {
        if (stop) {
            stop();
        }
    });
    popover_.setObserver([this] { show(); });
    panel.installEventFilter(this);
    show();
}

void StatusPanelController::show() {
    panel_.setMonitorStatus(QString::fromStdString(popover_.monitorStatusText()), popover_.active());
    panel_.setLastRefreshed(QDateTime::fromMSecsSinceEpoch(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                               popover_.lastRefreshedAt().time_since_epoch())
                                                               .count()));
    panel_.setRows(popover_.rows());
    panel_.setRestartOffered(popover_.showsRestartButton(), !popover_.isRestarting());
    panel_.setActionMessage(QString::fromStdString(popover_.actionMessage()));
    const auto& update = popover_.availableUpdate();
    panel_.setAvailableUpdate(update ? std::optional<QString>(QString::fromStdString(update->version)) : std::nullopt);
    panel_.setRefreshHovered(popover_.refreshHovered());
}

bool StatusPanelController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &panel_ && event->type() == QEvent::Show) {
        popover_.appear();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quillstone
