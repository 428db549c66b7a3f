#include "setup/app/MonitorModeWiring.h"

#include "platform/FileManager.h"
#include "platform/LinuxVolumes.h"
#include "platform/SystemTools.h"
#include "platform/qt/LogindWakeNotifier.h"
#include "platform/qt/QtBackgroundQueue.h"
#include "platform/qt/QtDistributedNotificationCenter.h"
#include "platform/qt/QtMainQueue.h"
#include "setup/monitor/SD4MonitorRuntime.h"
#include "setup/monitor/SD4ShortcutResolver.h"
#include "setup/monitor/SD4StatusWriter.h"

#include <memory>

namespace quillstone {

namespace {

// Everything monitor mode owns, built once the application object exists
// (the D-Bus ports need it) and torn down in reverse at termination.
struct MonitorModeState {
    LinuxVolumes volumes;
    std::shared_ptr<SD4ShortcutResolver> resolver;
    std::shared_ptr<SD4StatusWriter> statusWriter;
    std::shared_ptr<QtBackgroundQueue> backgroundQueue;
    std::shared_ptr<SD4MonitorRuntime> runtime;

    void start() {
        auto& files = PosixFileManager::shared();
        resolver = std::make_shared<SD4ShortcutResolver>(files, SystemTools::current());
        statusWriter = std::make_shared<SD4StatusWriter>(files, volumes);
        backgroundQueue = std::make_shared<QtBackgroundQueue>();
        SD4MonitorRuntime::Platform platform{std::make_shared<QtDistributedNotificationCenter>(),
                                             std::make_shared<LogindWakeNotifier>(),
                                             std::make_shared<QtMainQueue>(), backgroundQueue,
                                             // Linux has no Dock icon to hide and monitor mode has no window.
                                             [] {}};
        auto resolve = [resolver = resolver](const SD4RunEvent& event) { return resolver->resolve(event); };
        auto writeStatus = [writer = statusWriter](const SD4RunEvent& event, const SD4ResolvedRun& run,
                                                   const std::filesystem::path& statusFile) {
            writer->write(event, run, statusFile);
        };
        runtime = SD4MonitorRuntime::create(
            SD4MonitorRuntime::Dependencies::standard(std::move(platform), resolve, writeStatus, files));
        runtime->start();
    }

    void stop() {
        if (runtime) {
            runtime->stop();
        }
    }
};

} // namespace

MonitorModeHooks makeMonitorModeHooks() {
    auto state = std::make_shared<MonitorModeState>();
    return MonitorModeHooks{[state] { state->start(); }, [state] { state->stop(); }};
}

} // namespace quillstone
