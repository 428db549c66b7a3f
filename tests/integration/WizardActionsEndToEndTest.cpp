// The wizard's state driving a throwaway copy of the real bundle in a temporary
// home: its launchctl supervises the monitor, its shortcuts and open tools add
// the Shortcut, its osascript runs the administrator command, and Quillstone
// Status is registered as a login item and removed again.
#include "platform/ProcRunningApplications.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "setup/wizard/ContentViewEnvironment.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

const fs::path builtBundle = QUILLSTONE_APP_DIR;
constexpr const char* setupID = "com.quillstone.Quillstone-Setup";
constexpr const char* statusID = "com.quillstone.Quillstone-Setup.Status";

class WizardEndToEnd : public ::testing::Test {
protected:
    WizardEndToEnd() {
        fs::create_directories(bundle.parent_path());
        fs::copy(builtBundle, bundle, fs::copy_options::recursive);
        fs::create_directories(home / "tmp");
        fs::create_directories(home / "run");
        fs::permissions(home / "run", fs::perms::owner_all);
        for (auto [name, value] : std::initializer_list<std::pair<const char*, fs::path>>{
                 {"HOME", home}, {"XDG_DATA_HOME", home / ".local/share"}, {"XDG_CONFIG_HOME", home / ".config"},
                 {"XDG_RUNTIME_DIR", home / "run"}, {"TMPDIR", home / "tmp"}}) {
            environment.set(name, value.string());
        }
        environment.set("LANG", "C.UTF-8");
        environment.set("QT_QPA_PLATFORM", "offscreen");
        environment.set("QUILLSTONE_LAUNCHD_THROTTLE", "1");
        environment.clear("QUILLSTONE_PKEXEC");
        bus = std::make_unique<PrivateSessionBus>();
    }

    ~WizardEndToEnd() override {
        view.reset();
        wiring.reset();
        ProgramRun::of(launchctl, {"bootout", service()});
        for (const char* identifier : {statusID, setupID}) {
            for (const auto& application : copiesOf(identifier)) {
                running.forceTerminate(application);
            }
        }
    }

    ContentView& startWizard() {
        Bundle copy(bundle);
        wiring = std::make_unique<ContentViewEnvironment>(
            configurationStore, ContentViewEnvironment::Platform{
                                    copy, files, SystemLayout::rootedAt(root.path(), files.userDomain(),
                                                                        SystemTools::forBundle(copy))});
        view = std::make_unique<ContentView>(
            wiring->collaborators([this](const QuillstoneFolderChoice&) { return chosenFolder; },
                                  [this] { ++terminations; }));
        return *view;
    }

    // Processes of this copy only: the test's own tree may hold other running copies.
    std::vector<RunningApplication> copiesOf(const char* identifier) {
        auto found = running.withBundleIdentifier(identifier);
        std::erase_if(
            found, [&](const auto& copy) { return !copy.bundlePath.string().starts_with(bundle.string()); });
        return found;
    }

    static std::string service() { return "gui/" + std::to_string(::getuid()) + "/com.quillstone.monitor"; }
    std::string monitorLog() const { return readText(support / "sd4-monitor.log"); }

    TemporaryFolder root;
    fs::path home = root / "home";
    fs::path bundle = root / "Applications/Quillstone.app";
    fs::path launchctl = bundle / "Contents/Helpers/launchctl";
    fs::path support = home / ".local/share/Quillstone";
    fs::path autostartEntry = home / ".config/autostart/com.quillstone.Quillstone-Setup.Status.desktop";
    ScopedEnvironment environment;
    std::unique_ptr<PrivateSessionBus> bus;
    PosixFileManager files{UserDomain::rootedAt(home)};
    QuillstoneConfigurationStore configurationStore{files};
    ProcRunningApplications running;
    std::unique_ptr<ContentViewEnvironment> wiring;
    std::unique_ptr<ContentView> view;
    std::optional<fs::path> chosenFolder;
    int terminations = 0;
};

TEST_F(WizardEndToEnd, SD4ActivationStartsTheMonitorAndRemovalTakesItAway) {
    auto& view = startWizard();
    ASSERT_FALSE(view.shortcutIsInstalled());
    chosenFolder = home / "Dropbox";
    view.chooseStatusFolder();
    view.openShortcutInstaller();
    ASSERT_EQ(view.activationMessage(), ContentView::addShortcutMessage);
    ASSERT_TRUE(waitFor([&] {
        view.refreshShortcutState();
        return view.shortcutIsInstalled();
    }));
    EXPECT_EQ(view.activationMessage(), ContentView::shortcutNowInstalledMessage);

    view.activateSD4Monitor();
    ASSERT_TRUE(view.activationSucceeded()) << view.activationMessage();
    ASSERT_TRUE(waitFor([&] { return monitorLog().find("distributed notification observer registered") != std::string::npos; }))
        << monitorLog();
    EXPECT_TRUE(fs::exists(autostartEntry));

    const ProgramRun run = ProgramRun::of(QUILLSTONE_SUPERDUPER4_STANDIN,
                                          {"--job-id", "JOB-1", "--run-id", "RUN-1", "--job-name", "Nightly",
                                           "--outcome", "succeeded", "--destination", "Backup"});
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_TRUE(waitFor([&] { return monitorLog().find("status written for: RUN-1") != std::string::npos; }))
        << monitorLog();
    const fs::path statusFile = home / "Dropbox/Quillstone/backup_status.json";
    EXPECT_EQ(nlohmann::json::parse(readText(statusFile))["backups"].size(), 1u);
    ASSERT_TRUE(fs::exists(support / "sd4-run-ledger.json"));

    view.removeInstalledComponent();
    EXPECT_EQ(view.activationMessage(), "The local Quillstone Monitor was removed.");
    EXPECT_EQ(terminations, 1);
    for (const char* name : {"configuration.json", "sd4-run-ledger.json", "sd4-pending-runs.json"}) {
        EXPECT_FALSE(fs::exists(support / name)) << name;
    }
    EXPECT_TRUE(fs::exists(statusFile));
    EXPECT_TRUE(fs::exists(support / "sd4-monitor.log"));
    EXPECT_NE(ProgramRun::of(launchctl, {"print", service()}).status, 0);
    EXPECT_FALSE(fs::exists(autostartEntry));
    EXPECT_TRUE(waitFor([&] { return copiesOf(setupID).empty(); })); // the monitor has stopped
}

TEST_F(WizardEndToEnd, ClassicInstallationAsRootRegistersTheStatusAppAndRemovalKeepsTheConfiguration) {
    writeText(bundle / "Contents/Resources/BackupMonitor.sh", "#!/bin/sh\nQUILLSTONE_DIR=__QUILLSTONE_DIR__\n");
    const group* wheel = ::getgrnam("wheel");
    if (::geteuid() != 0 || wheel == nullptr) {
        GTEST_SKIP() << "the installed script is handed to root:wheel; this needs root and a wheel group";
    }
    auto& view = startWizard();
    view.selectIntegration(QuillstoneIntegration::classic);
    chosenFolder = home / "Drive";
    view.chooseStatusFolder();
    view.installClassicMonitor();
    ASSERT_TRUE(view.installationSucceeded()) << view.installationMessage();

    struct stat script {};
    ASSERT_EQ(::stat((home / "Drive/Quillstone/BackupMonitor.sh").c_str(), &script), 0);
    EXPECT_EQ(script.st_mode & 07777, 0755u);
    EXPECT_EQ(script.st_uid, 0u);
    EXPECT_EQ(script.st_gid, wheel->gr_gid);
    EXPECT_TRUE(fs::exists(autostartEntry));
    EXPECT_EQ(QuillstoneInstalledComponentsStore(files).load()->integration, QuillstoneIntegration::classic);

    view.removeInstalledComponent();
    EXPECT_EQ(view.activationMessage(), "The Quillstone menu-bar app was removed.");
    EXPECT_FALSE(fs::exists(autostartEntry));
    EXPECT_FALSE(QuillstoneInstalledComponentsStore(files).load());
    EXPECT_EQ(configurationStore.loadComplete()->integration, QuillstoneIntegration::classic);
}

} // namespace
