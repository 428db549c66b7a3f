#include "setup/app/Quillstone_SetupApp.h"

#include "setup/app/QtSetupWindow.h"
#include "setup/app/SetupWindowRegistration.h"
#include "setup/wizard/ContentView.h"

#include <QApplication>
#include <QGridLayout>

namespace quillstone {

std::unique_ptr<QCoreApplication> Quillstone_SetupApp::makeApplication(int& argc, char** argv) {
    if (isMonitorMode(processArguments())) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    return std::make_unique<QApplication>(argc, argv);
}

Quillstone_SetupApp::Quillstone_SetupApp() : Quillstone_SetupApp(Environment{}) {}

Quillstone_SetupApp::Quillstone_SetupApp(Environment environment)
    : _appDelegate(QuillstoneAppDelegate::Collaborators{
          .arguments = std::move(environment.arguments),
          .application = applicationControl_,
          .session = environment.session,
          .registry = environment.registry,
          .launcher = launcher_,
          .clock = environment.clock,
          .monitor = std::move(environment.monitor),
      }) {}

Quillstone_SetupApp::~Quillstone_SetupApp() {
    for (const auto& connection : connections_) {
        QObject::disconnect(connection);
    }
}

void Quillstone_SetupApp::launch() {
    QCoreApplication* application = QCoreApplication::instance();
    _appDelegate.applicationWillFinishLaunching();

    if (auto* gui = qobject_cast<QGuiApplication*>(application)) {
        // Asked at the moment it happens, not fixed at start.
        gui->setQuitOnLastWindowClosed(false);
        connections_.push_back(QObject::connect(gui, &QGuiApplication::lastWindowClosed, [this] {
            if (_appDelegate.applicationShouldTerminateAfterLastWindowClosed()) {
                QCoreApplication::quit();
            }
        }));
    }
    connections_.push_back(QObject::connect(application, &QCoreApplication::aboutToQuit,
                                            [this] { _appDelegate.applicationWillTerminate(); }));

    _appDelegate.applicationDidFinishLaunching();

    if (_appDelegate.isMonitorMode()) {
        reopenService_ = std::make_unique<ReopenDBusService>(
            [this] { return _appDelegate.applicationShouldHandleReopen(false); });
        reopenService_->registerOnSessionBus();
    } else if (qobject_cast<QApplication*>(application) != nullptr) {
        buildWizardWindow();
    }
}

void Quillstone_SetupApp::buildWizardWindow() {
    window_ = std::make_unique<QWidget>();
    window_->setWindowTitle(QString::fromUtf8(windowTitle));
    window_->resize(defaultWidth, defaultHeight);
    auto* layout = new QGridLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ContentView(configurationStore_, window_.get()), 0, 0);

    SetupWindowRegistration registration([this](QWidget* window) {
        _appDelegate.registerMainWindow(std::make_shared<QtSetupWindow>(window));
    });
    auto* registrationView = registration.makeView(window_.get());
    layout->addWidget(registrationView, 0, 0, Qt::AlignCenter);
    registrationView->lower();
}

} // namespace quillstone
