#include "status/QuillstoneStatusApp.h"

#include "platform/qt/Compositor.h"
#include "platform/ThreadPoolBackgroundQueue.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/SymbolIcon.h"
#include "status/StatusEnvironment.h"
#include "status/StatusPopover.h"
#include "status/widgets/MenuBarExtra.h"
#include "status/widgets/QtStatusRefreshTimer.h"
#include "status/widgets/StatusInstanceService.h"
#include "status/widgets/StatusPanel.h"
#include "status/widgets/StatusPanelController.h"

#include <QApplication>

namespace quillstone {

int QuillstoneStatusApp::run() {
    QApplication application(argc_, argv_);
    QApplication::setApplicationName(QStringLiteral("Quillstone Status"));
    QApplication::setDesktopFileName(QString::fromUtf8(StatusInstanceService::serviceName));
    // The panel hides and shows; only Stop App, or closing it where there is no tray, ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    MenuBarExtra* extra = nullptr;
    StatusInstanceService instance([&extra] {
        if (extra != nullptr) {
            extra->showPanel();
        }
    });
    if (instance.registerOnSessionBus() == StatusInstanceService::Registration::taken &&
        StatusInstanceService::showRunningInstance()) {
        return 0;
    }
    SymbolIcon::installFallbackTheme();

    auto environment = StatusEnvironment::forRunningBundle();
    QtMainQueue mainQueue;
    ThreadPoolBackgroundQueue backgroundQueue(2);
    QtStatusRefreshTimer statusRefreshTimer;
    StatusPopover popover(environment->collaborators(mainQueue, backgroundQueue, statusRefreshTimer));
    StatusPanel panel;
    new StatusPanelController(popover, panel, [] { QCoreApplication::quit(); });
    extra = new MenuBarExtra(panel, Compositor::isRunning());
    extra->start();
    const int status = application.exec();
    // The background queue waits for its work when it goes: none may wait on a server.
    environment->cancelRequests();
    return status;
}

} // namespace quillstone
