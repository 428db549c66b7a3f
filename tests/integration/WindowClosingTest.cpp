#include "platform/ChildProcess.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::waitFor;
using quillstone::testing::XServer;

namespace {

const std::filesystem::path setupProgram = QUILLSTONE_APP_DIR "/Contents/MacOS/quillstone-setup";

std::unique_ptr<ChildProcess> startSetup(const TemporaryFolder& home, const std::string& display,
                                         std::vector<std::string> arguments) {
    // A bus address that leads nowhere: never the real session's, and no X11 autolaunch of one.
    std::vector<std::string> variables{"-u", "WAYLAND_DISPLAY",
                                       "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (home.path() / "no-bus").string(),
                                       "QT_QPA_PLATFORM=xcb", "DISPLAY=" + display,
                                       "HOME=" + home.path().string(),
                                       "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                       "XDG_RUNTIME_DIR=" + home.path().string(), setupProgram.string()};
    variables.insert(variables.end(), arguments.begin(), arguments.end());
    auto child = std::make_unique<ChildProcess>("/usr/bin/env", variables);
    child->setStandardInput(ChildProcess::Stream::null);
    child->setStandardError(ChildProcess::Stream::null);
    child->launch();
    return child;
}

} // namespace

TEST(WindowClosingTest, ClosingTheWizardWindowQuitsTheWizardButNeverTheMonitor) {
    XServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneSetupSession session{files};

    auto monitor = startSetup(home, server.display(), {"--quillstone-sd4-monitor"});
    auto wizard = startSetup(home, server.display(), {});
    // Whatever fails, nothing outlives the test to hold its output open.
    const std::shared_ptr<void> endBoth(nullptr, [&](void*) {
        for (ChildProcess* child : {monitor.get(), wizard.get()}) {
            if (child->isRunning()) {
                child->kill();
                child->waitUntilExit();
            }
        }
    });
    ASSERT_TRUE(waitFor([&] { return session.readRecord().has_value(); })) << "the wizard never started";
    ASSERT_TRUE(waitFor([&] { return server.closeWindowsNamed("Quillstone") > 0; })) << "no wizard window";

    // A window can be found before it handles the close request; ask until it goes.
    EXPECT_TRUE(waitFor([&] {
        server.closeWindowsNamed("Quillstone");
        return !wizard->isRunning();
    })) << "closing its window must end the wizard";
    EXPECT_EQ(wizard->terminationReason(), ChildProcess::TerminationReason::exit);
    EXPECT_EQ(wizard->terminationStatus(), 0);
    EXPECT_FALSE(std::filesystem::exists(session.fileURL())) << "the wizard's own record must go with it";

    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(monitor->isRunning()) << "the monitor lives on without windows";
    ::kill(monitor->processIdentifier(), SIGTERM);
    EXPECT_TRUE(waitFor([&] { return !monitor->isRunning(); }));
    EXPECT_EQ(monitor->terminationStatus(), 0);
}
