#include "platform/ChildProcess.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"
#include "support/SilentServer.h"
#include "support/WaitFor.h"
#include "support/LaunchdHome.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const fs::path app = QUILLSTONE_APP_DIR;
const fs::path setupProgram = app / "Contents/MacOS/quillstone-setup";
const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";
constexpr auto promptly = 1s;

// The real programs in a throwaway home, on a private session bus, offscreen.
class LaunchAndQuitTest : public LaunchdHome {
protected:
    LaunchAndQuitTest() {
        environment.set("XDG_DATA_HOME", (home / ".local/share").string());
        environment.set("XDG_CONFIG_HOME", (home / ".config").string());
        // Every program here starts with a temporary folder that does not exist.
        environment.set("TMPDIR", (home / "no-such-folder").string());
        environment.set("QT_QPA_PLATFORM", "offscreen");
        environment.clear("DISPLAY");
        environment.clear("WAYLAND_DISPLAY");
        environment.clear("XDG_ACTIVATION_TOKEN");
        environment.clear("DESKTOP_STARTUP_ID");
    }
    ~LaunchAndQuitTest() override {
        launch({"bootout", service()});
        for (pid_t pid : detached) {
            ::kill(pid, SIGKILL);
        }
        for (auto& child : started) {
            child->kill();
            child->waitUntilExit();
        }
    }

    static std::string service() { return domain() + "/com.quillstone.monitor"; }

    ChildProcess& start(const fs::path& program, const std::vector<std::string>& arguments = {}) {
        started.push_back(std::make_unique<ChildProcess>(program, arguments));
        started.back()->setStandardInput(ChildProcess::Stream::null);
        started.back()->setStandardOutput(ChildProcess::Stream::null);
        started.back()->setStandardError(ChildProcess::Stream::null);
        started.back()->launch();
        return *started.back();
    }

    std::optional<pid_t> recordedWizard() const {
        auto record = session.readRecord();
        return record ? record->processIdentifier : std::nullopt;
    }

    static bool endsPromptly(ChildProcess& child) {
        ::kill(child.processIdentifier(), SIGTERM);
        return waitFor([&] { return !child.isRunning(); }, promptly);
    }

    // A copy of the bundle whose Shortcuts tool and update server the test chooses.
    fs::path bundleWith(const std::string& shortcutsScript, const SilentServer& server) {
        const fs::path bundle = home / "Apps/Quillstone.app";
        fs::create_directories(bundle);
        fs::copy(app, bundle, fs::copy_options::recursive);
        writeText(bundle / "Contents/Helpers/shortcuts", shortcutsScript);
        fs::permissions(bundle / "Contents/Helpers/shortcuts", fs::perms::owner_all);
        writeText(bundle / "Contents/Info.plist", server.pointedAt(readText(bundle / "Contents/Info.plist")));
        return bundle;
    }

    // Asks the monitor over the bus to reopen; true when it answered yes.
    static bool reopen() {
        auto call = ProgramRun::of("/usr/bin/dbus-send",
                                   {"--session", "--print-reply", "--dest=com.quillstone.Quillstone-Setup",
                                    "--type=method_call", "/", "com.quillstone.QuillstoneSetup.Reopen"});
        return call.status == 0 && call.output.find("boolean true") != std::string::npos;
    }

    static pid_t ownerOf(const std::string& name) {
        auto call = ProgramRun::of("/usr/bin/dbus-send",
                                   {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                                    "org.freedesktop.DBus.GetConnectionUnixProcessID", "string:" + name});
        auto at = call.output.find("uint32 ");
        return at == std::string::npos ? -1 : static_cast<pid_t>(std::stol(call.output.substr(at + 7)));
    }

    PrivateSessionBus bus;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneSetupSession session{files};
    std::vector<std::unique_ptr<ChildProcess>> started;
    std::vector<pid_t> detached;
};

class HandOverTest : public LaunchAndQuitTest, public ::testing::WithParamInterface<bool> {};

} // namespace

TEST_F(LaunchAndQuitTest, ASecondLaunchBringsTheRunningWizardForwardAndLeaves) {
    ChildProcess& first = start(setupProgram);
    ASSERT_TRUE(waitFor([&] { return recordedWizard() == first.processIdentifier(); })) << "the wizard never started";

    // A monitor's launch request lies over the record: asked forward, the wizard puts its own back.
    session.writeRecord({.processIdentifier = {}, .launchRequestedAt = 1.0});
    const auto before = std::chrono::steady_clock::now();
    const ProgramRun second = ProgramRun::of(setupProgram, {});
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(first.isRunning());
    EXPECT_TRUE(waitFor([&] { return recordedWizard() == first.processIdentifier(); }))
        << "the running wizard never got the request to come forward";
    EXPECT_TRUE(endsPromptly(first)) << "SIGTERM must end the wizard within a second";

    // Two launches racing with no wizard running: one stays, the other hands over and leaves.
    ChildProcess& one = start(setupProgram);
    ChildProcess& other = start(setupProgram);
    ASSERT_TRUE(waitFor([&] { return !one.isRunning() || !other.isRunning(); })) << "two wizards are running";
    std::this_thread::sleep_for(500ms);
    ASSERT_NE(one.isRunning(), other.isRunning());
    ChildProcess& left = one.isRunning() ? other : one;
    EXPECT_EQ(left.terminationReason(), ChildProcess::TerminationReason::exit);
    EXPECT_EQ(left.terminationStatus(), 0);
}

TEST_F(LaunchAndQuitTest, TheWizardEndsAtOnceWhileItsChecksHang) {
    SilentServer server;
    const fs::path shortcutPid = home / "shortcut.pid";
    const fs::path bundle = bundleWith("#!/bin/sh\necho $$ > '" + shortcutPid.string() + "'\nexec sleep 60\n",
                                       server);

    // Start-up waits on `shortcuts list`, which never answers.
    ChildProcess& stuck = start(bundle / "Contents/MacOS/quillstone-setup");
    ASSERT_TRUE(waitFor([&] { return fs::exists(shortcutPid) && !readText(shortcutPid).empty(); }));
    const pid_t shortcut = std::stoi(readText(shortcutPid));
    EXPECT_TRUE(endsPromptly(stuck)) << "SIGTERM during the Shortcut check";
    EXPECT_FALSE(processAlive(shortcut)) << "the Shortcut check outlived the wizard";

    // The window is up and the update check waits on a server that never answers.
    SilentServer later;
    writeText(bundle / "Contents/Info.plist", later.pointedAt(readText(bundle / "Contents/Info.plist")));
    writeText(bundle / "Contents/Helpers/shortcuts", "#!/bin/sh\nexit 0\n");
    ChildProcess& waiting = start(bundle / "Contents/MacOS/quillstone-setup");
    ASSERT_TRUE(waitFor([&] { return later.hasWaitingClient(); })) << "no update check";
    EXPECT_TRUE(endsPromptly(waiting)) << "SIGTERM during the update check";
    EXPECT_EQ(waiting.terminationStatus(), 0);
    EXPECT_EQ(fs::exists(session.fileURL()), false);
}

TEST_P(HandOverTest, TheMonitorsWizardOutlivesTheAgent) {
    const bool systemd = GetParam();
    const fs::path scopeLog = home / "systemd-run.log";
    if (systemd) {
        // No user manager on this machine: a fake one whose stop ends the unit's whole process group.
        useFakeSystemctl();
        environment.set("FAKE_SYSTEMCTL_RUN", "1");
        environment.set("QUILLSTONE_SYSTEMD_RUN", (fixtures / "fake-systemd-run").string());
        environment.set("FAKE_SYSTEMD_RUN_LOG", scopeLog.string());
    }
    const auto plist =
        writeAgent("com.quillstone.monitor", {setupProgram.string(), "--quillstone-sd4-monitor"}, true, true);
    const ProgramRun bootstrap = launch({"bootstrap", domain(), plist.string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    ASSERT_TRUE(waitFor(reopen)) << "the monitor never answered Reopen";
    const pid_t monitor = ownerOf("com.quillstone.Quillstone-Setup");
    ASSERT_GT(monitor, 0);
    ASSERT_TRUE(waitFor([&] { return recordedWizard().has_value(); })) << "no wizard was opened";
    const pid_t wizard = *recordedWizard();
    detached.push_back(wizard);
    EXPECT_NE(::getsid(wizard), ::getsid(monitor)) << "the wizard must have its own session";
    EXPECT_NE(::getpgid(wizard), ::getpgid(monitor));
    if (systemd) {
        EXPECT_NE(readText(scopeLog).find("--user --scope --quiet -- " + setupProgram.string()), std::string::npos)
            << readText(scopeLog);
    }
    EXPECT_TRUE(reopen()) << "a second reopen brings the same wizard forward";

    EXPECT_EQ(launch({"bootout", service()}).status, 0);
    EXPECT_TRUE(waitFor([&] { return !processAlive(monitor); })) << "bootout left the monitor running";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(processAlive(wizard)) << "stopping the agent ended its wizard";
    EXPECT_EQ(recordedWizard(), wizard);
    ::kill(wizard, SIGTERM);
    EXPECT_TRUE(waitFor([&] { return !processAlive(wizard); }, promptly));
}

INSTANTIATE_TEST_SUITE_P(LaunchAndQuitTest, HandOverTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SystemdUserUnits" : "OwnSupervisor"; });
