#include "setup/app/Quillstone_SetupApp.h"

#include "platform/ProcRunningApplications.h"


namespace quillstone {

std::unique_ptr<QCoreApplication> Quillstone_SetupApp::makeApplication(int& argc, char** argv, WizardScene* scene) {
    if (scene == nullptr || isMonitorMode(std::vector<std::string>(argv, argv + argc))) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
    return scene->makeApplication(argc, argv);
}

Quillstone_SetupApp::Quillstone_SetupApp() : Quillstone_SetupApp(Environment{}) {}

Quillstone_SetupApp::Quillstone_SetupApp(Environment environment)
    : session_(environment.session),
      scene_(std::move(environment.scene)),
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

void Quillstone_SetupApp::activate(const WizardInstanceService::PlatformData& platformData) {
    if (_appDelegate.isMonitorMode()) {
        return;
    }
    // Wayland lets a window take focus only with the launcher's token.
    if (auto token = platformData.find("activation-token"); token != platformData.end()) {
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token->second));
    }
    // A monitor may have put its launch request over this wizard's record meanwhile: this is the one running.
    session_.writeRecord({.processIdentifier = static_cast<int32_t>(session_.ownProcessIdentifier()),
                          .launchRequestedAt = {}});
    _appDelegate.applicationShouldHandleReopen(true);
}

void Quillstone_SetupApp::launch() {
    QCoreApplication* application = QCoreApplication::instance();
    // Bringing a running wizard forward goes through its own bus name; only its owner counts.
    ProcRunningApplications::shared().setActivator([](const RunningApplication& running) {
        return running.bundleIdentifier == QuillstoneSetupSession::setupBundleIdentifier &&
               WizardInstanceService::activateProcess(running.processIdentifier);
    });
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
