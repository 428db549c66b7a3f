#include "platform/ChildProcess.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::waitFor;

// The real setup program in a throwaway home, with no display and no session bus.
TEST(SetupProgramTest, MonitorModeRunsWithoutADisplayUntilStopped) {
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneSetupSession session{files};
    ChildProcess monitor(
        "/usr/bin/env",
        {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "-u", "DBUS_SESSION_BUS_ADDRESS",
         "HOME=" + home.path().string(), "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
         "XDG_RUNTIME_DIR=" + home.path().string(), "TMPDIR=" + home.path().string(),
         QUILLSTONE_APP_DIR "/Contents/MacOS/quillstone-setup", "first", "--quillstone-sd4-monitor", "last"});
    monitor.setStandardInput(ChildProcess::Stream::null);
    monitor.setStandardError(ChildProcess::Stream::null);
    monitor.launch();
    EXPECT_FALSE(waitFor([&] { return !monitor.isRunning(); }, 1500ms))
        << "a headless monitor must not need a display or quit";
    EXPECT_FALSE(session.readRecord()) << "a monitor never records itself as a wizard";

    ::kill(monitor.processIdentifier(), SIGTERM);
    if (!waitFor([&] { return !monitor.isRunning(); })) {
        monitor.kill();
        monitor.waitUntilExit();
        FAIL() << "the monitor ignored SIGTERM";
    }
    EXPECT_EQ(monitor.terminationReason(), ChildProcess::TerminationReason::exit);
    EXPECT_EQ(monitor.terminationStatus(), 0);
}
