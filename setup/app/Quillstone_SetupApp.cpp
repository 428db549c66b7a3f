#include "setup/app/Quillstone_SetupApp.h"


namespace quillstone {

std::unique_ptr<QCoreApplication> Quillstone_SetupApp::makeApplication(int& argc, char** argv, WizardScene* scene) {
    if (scene == nullptr || isMonitorMode(processArguments())) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    return scene->makeApplication(argc, argv);
}

Quillstone_SetupApp::Quillstone_SetupApp() : Quillstone_SetupApp(Environment{}) {}

Quillstone_SetupApp::Quillstone_SetupApp(Environment environment)
    : scene_(std::move(environment.scene)),
      _appDelegate(QuillstoneAppDelegate::Collaborators{
          .arguments = std::move(environment.arguments),
          .application = scene_ ? scene_->applicationControl() : static_cast<ApplicationControl&>(consoleControl_),
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

    connections_.push_back(QObject::connect(application, &QCoreApplication::aboutToQuit,
                                            [this] { _appDelegate.applicationWillTerminate(); }));

    _appDelegate.applicationDidFinishLaunching();

    if (_appDelegate.isMonitorMode()) {
        reopenService_ = std::make_unique<ReopenDBusService>(
            [this] { return _appDelegate.applicationShouldHandleReopen(false); });
        reopenService_->registerOnSessionBus();
    } else if (scene_) {
        scene_->present(_appDelegate, configurationStore_);
    }
}

} // namespace quillstone
