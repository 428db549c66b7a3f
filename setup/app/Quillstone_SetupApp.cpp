#include "setup/app/Quillstone_SetupApp.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace quillstone {

namespace {

[[noreturn]] void becomeHeadlessMonitor(char** argv) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path monitor = self.parent_path() / "quillstone-setup";
    if (!error && self.is_absolute()) {
        ::execv(monitor.c_str(), argv);
    }
    std::cerr << "Quillstone could not start its monitor \"" << monitor.string()
              << "\": " << (error ? error.message() : std::strerror(errno)) << std::endl;
    std::exit(1);
}

} // namespace

std::unique_ptr<QCoreApplication> Quillstone_SetupApp::makeApplication(int& argc, char** argv, WizardScene* scene) {
    setProcessArguments(argc, argv);
    if (isMonitorMode(processArguments())) {
        becomeHeadlessMonitor(argv);
    }
    if (scene == nullptr) {
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
    _appDelegate.applicationWillFinishLaunching();

    connections_.push_back(QObject::connect(application, &QCoreApplication::aboutToQuit,
                                            [this] { _appDelegate.applicationWillTerminate(); }));

    _appDelegate.applicationDidFinishLaunching();

    if (scene_ && !_appDelegate.isMonitorMode()) {
        scene_->present(_appDelegate, configurationStore_);
    }
}

} // namespace quillstone
