#include "setup/app/MonitorModeWiring.h"

#include "platform/FileManager.h"
#include "platform/FolderLock.h"
#include "platform/SupportFolder.h"
#include "platform/LinuxVolumes.h"
#include "platform/ResidentMemory.h"
#include "platform/SystemTools.h"
#include "platform/sdbus/SdBusDistributedNotificationCenter.h"
#include "platform/sdbus/SdBusLogindWakeNotifier.h"
#include "setup/monitor/SD4LeftoverSweeper.h"
#include "setup/monitor/SD4MonitorRuntime.h"
#include "setup/monitor/SD4ShortcutResolver.h"
#include "setup/monitor/SD4StatusWriter.h"

#include <memory>
#include <optional>

namespace quillstone {

namespace {

// Everything monitor mode owns, built when the monitor starts and torn down
// in reverse at termination.
struct MonitorModeState {
    MonitorModeChannels channels;
    LinuxVolumes volumes;
    std::shared_ptr<SD4ShortcutResolver> resolver;
    std::shared_ptr<SD4StatusWriter> statusWriter;
    std::shared_ptr<SD4MonitorRuntime> runtime;
    // Held for the life of the process: while it is held no other monitor of
    // this user runs, so what we find of ours on disk is a dead one's leftover.
    std::optional<FolderLock> instanceLock;

    void start() {
        auto& files = PosixFileManager::shared();
        const auto support = supportFolder(files.userDomain());
        try {
            files.createDirectories(support);
        } catch (const std::exception&) {
            // Without the folder there is nothing to lock and nothing left over.
        }
        instanceLock = FolderLock::tryAcquire(support);
        resolver = std::make_shared<SD4ShortcutResolver>(files, SystemTools::current(), channels.childWatcher);
        statusWriter = std::make_shared<SD4StatusWriter>(files, volumes);
        SD4MonitorRuntime::Platform platform{
            std::make_shared<SdBusDistributedNotificationCenter>(channels.sessionBus),
            std::make_shared<SdBusLogindWakeNotifier>(channels.openSystemBus ? channels.openSystemBus() : nullptr),
            channels.mainQueue,
                                             // Linux has no Dock icon to hide and monitor mode has no window.
                                             [] {}};
        auto resolve = [resolver = resolver](const SD4RunEvent& event, std::function<void(SD4ResolveResult)> done) {
            resolver->begin(event, std::move(done));
        };
        auto writeStatus = [writer = statusWriter](const SD4RunEvent& event, const SD4ResolvedRun& run,
                                                   const std::filesystem::path& statusFile) {
            writer->write(event, run, statusFile);
            // A write leaves ICU's code and collation tables resident, though
            // the monitor may then idle for a day; the next write reads them back.
            pageOutLibraries("/libicu");
        };
        auto dependencies = SD4MonitorRuntime::Dependencies::standard(std::move(platform), resolve, writeStatus, files);
        if (instanceLock) {
            dependencies.removeLeftovers = [&files, support](const std::filesystem::path& statusFolder) {
                return SD4LeftoverSweeper(files, support, files.userDomain().temporaryDirectory).sweep(statusFolder);
            };
        }
        runtime = SD4MonitorRuntime::create(std::move(dependencies));
        runtime->start();
    }

    // The runs still being resolved stay pending for the next start.
    void stop() {
        if (runtime) {
            runtime->stop();
        }
        if (resolver) {
            resolver->cancelAll();
        }
    }
};

} // namespace

MonitorModeHooks makeMonitorModeHooks(MonitorModeChannels channels) {
    auto state = std::make_shared<MonitorModeState>();
    state->channels = std::move(channels);
    return MonitorModeHooks{[state] { state->start(); }, [state] { state->stop(); }};
}

} // namespace quillstone
