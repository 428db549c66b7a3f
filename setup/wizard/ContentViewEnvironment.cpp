#include "setup/wizard/ContentViewEnvironment.h"

#include "platform/ChildProcessCommandRunner.h"
#include "platform/Clock.h"
#include "platform/DetachedProcess.h"
#include "platform/FileManager.h"
#include "platform/FreedesktopWorkspace.h"
#include "platform/HelperAdministratorScript.h"
#include "platform/ProcRunningApplications.h"
#include "platform/Sleeper.h"
#include "platform/SystemLayout.h"
#include "platform/UserIdentity.h"
#include "platform/XdgAutostartLoginItemService.h"
#include "platform/ThreadPoolBackgroundQueue.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtMainQueue.h"
#include "setup/monitor/SD4PendingRunStore.h"
#include "setup/monitor/SD4RunLedger.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "setup/service/QuillstoneLegacyApplicationRemover.h"
#include "setup/service/QuillstoneProcessRegistry.h"
#include "setup/service/QuillstoneStatusHost.h"
#include "setup/service/QuillstoneUpgradeDetector.h"
#include "setup/service/SD4MonitorService.h"
#include "setup/wizard/QuillstoneBundledShortcutBridge.h"
#include "setup/wizard/SD4MonitorServiceControl.h"

namespace quillstone {

ContentViewEnvironment::Platform ContentViewEnvironment::Platform::current() {
    auto& files = PosixFileManager::shared();
    return Platform{Bundle::main(), files, SystemLayout::current(files.userDomain())};
}

struct ContentViewEnvironment::Parts {
    Parts(QuillstoneConfigurationStore& store, Platform platform)
        : configurationStore(store),
          files(platform.fileManager),
          bundle(std::move(platform.bundle)),
          layout(std::move(platform.layout)),
          loginItems(files, bundle, XdgAutostartLoginItemService::defaultFolder(files.userDomain()),
                     ProcRunningApplications::shared(), launchDetached),
          statusHost({loginItems, ProcRunningApplications::shared(), ChildProcessCommandRunner::shared(),
                      ThreadSleeper::shared(), files, bundle, layout.tools.open}),
          service({files, layout, bundle, UserIdentity::current(), ChildProcessCommandRunner::shared(), statusHost,
                   [this] {
                       SD4RunLedger(files).removeFile();
                       SD4PendingRunStore(files).removeFile();
                   }}),
          monitor(service, files),
          workspace(files, {layout.applicationsFolder, layout.userApplicationsFolder},
                    FreedesktopWorkspace::homeTrash(files.userDomain()), SystemClock::shared(), layout.tools.open),
          administratorScript(layout.tools.osascript),
          shortcutBridge(QuillstoneProcessRegistry::shared(), layout.tools.shortcuts, bundle, files, workspace),
          remover(files, workspace, administratorScript, layout, bundle.path()),
          detector(files, layout, ProcRunningApplications::shared(), workspace, configurationStore) {}

    QuillstoneConfigurationStore& configurationStore;
    FileManager& files;
    Bundle bundle;
    SystemLayout layout;
    XdgAutostartLoginItemService loginItems;
    QuillstoneStatusHost statusHost;
    SD4MonitorService service;
    SD4MonitorServiceControl monitor;
    FreedesktopWorkspace workspace;
    HelperAdministratorScript administratorScript;
    QuillstoneBundledShortcutBridge shortcutBridge;
    QuillstoneLegacyApplicationRemover remover;
    QuillstoneUpgradeDetector detector;
    QuillstoneInstalledComponentsStore installedComponents{files};
    QtHttpClient http;
    QtMainQueue mainQueue;
    ThreadPoolBackgroundQueue backgroundQueue{1};
};

ContentViewEnvironment::ContentViewEnvironment(QuillstoneConfigurationStore& configurationStore, Platform platform)
    : parts_(std::make_unique<Parts>(configurationStore, std::move(platform))) {}

ContentViewEnvironment::~ContentViewEnvironment() = default;

void ContentViewEnvironment::cancelRequests() { parts_->http.cancelAll(); }

ContentView::Collaborators ContentViewEnvironment::collaborators(ChooseFolder chooseFolder,
                                                                 std::function<void()> terminate) {
    Parts& p = *parts_;
    return ContentView::Collaborators{
        p.configurationStore,
        p.monitor,
        p.shortcutBridge,
        p.files,
        p.administratorScript,
        p.workspace,
        p.installedComponents,
        p.http,
        p.mainQueue,
        p.backgroundQueue,
        SystemClock::shared(),
        p.bundle,
        p.layout.applicationsFolder,
        [&p] { return p.detector.detectUpgradeCandidate(p.bundle); },
        [&p](const std::filesystem::path& url) { p.remover.removeLegacyApplication(url); },
        std::move(chooseFolder),
        std::move(terminate),
    };
}

} // namespace quillstone
