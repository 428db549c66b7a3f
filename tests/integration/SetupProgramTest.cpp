#include "platform/ChildProcess.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::waitFor;
using Record = QuillstoneSetupSession::Record;

namespace {

const std::filesystem::path setupProgram = QUILLSTONE_APP_DIR "/Contents/MacOS/quillstone-setup";

// Runs the real setup program in a throwaway home, with no display unless asked.
class SetupProgramTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneSetupSession session{files};
    std::vector<std::unique_ptr<ChildProcess>> started;

    ~SetupProgramTest() override {
        if (openedWizard > 0) {
            ::kill(openedWizard, SIGKILL);
        }
        for (auto& child : started) {
            child->kill();
            child->waitUntilExit();
        }
    }

    std::vector<std::string> environment(bool display) const {
        std::vector<std::string> variables{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                           "-u", "DBUS_SESSION_BUS_ADDRESS",
                                           "HOME=" + home.path().string(),
                                           "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                           "XDG_RUNTIME_DIR=" + home.path().string(),
                                           "TMPDIR=" + home.path().string()};
        if (display) {
            variables.push_back("QT_QPA_PLATFORM=offscreen");
        }
        for (const auto& extra : extraEnvironment) {
            variables.push_back(extra);
        }
        return variables;
    }

    ChildProcess& start(const std::vector<std::string>& arguments, bool display) {
        auto variables = environment(display);
        variables.push_back(setupProgram.string());
        variables.insert(variables.end(), arguments.begin(), arguments.end());
        started.push_back(std::make_unique<ChildProcess>("/usr/bin/env", variables));
        started.back()->setStandardInput(ChildProcess::Stream::null);
        started.back()->setStandardError(ChildProcess::Stream::null);
        started.back()->launch();
        return *started.back();
    }

    static bool stillRunningAfter(ChildProcess& child, std::chrono::milliseconds time) {
        return !waitFor([&] { return !child.isRunning(); }, time);
    }

    static int stopPolitely(ChildProcess& child) {
        ::kill(child.processIdentifier(), SIGTERM);
        EXPECT_TRUE(waitFor([&] { return !child.isRunning(); }));
        EXPECT_EQ(child.terminationReason(), ChildProcess::TerminationReason::exit);
        return child.terminationStatus();
    }

    std::vector<std::string> extraEnvironment;
    pid_t openedWizard = -1;
};

} // namespace

TEST_F(SetupProgramTest, MonitorModeRunsWithoutADisplayUntilStopped) {
    for (auto arguments : {std::vector<std::string>{"--quillstone-sd4-monitor"},
                           std::vector<std::string>{"first", "--quillstone-sd4-monitor", "last"}}) {
        ChildProcess& monitor = start(arguments, false);
        EXPECT_TRUE(stillRunningAfter(monitor, 1500ms)) << "a headless monitor must not need a display or quit";
        EXPECT_FALSE(session.readRecord()) << "a monitor never records itself as a wizard";
        EXPECT_EQ(stopPolitely(monitor), 0);
    }
}

TEST_F(SetupProgramTest, WizardModeRecordsItselfAndClearsTheRecordOnTermination) {
    for (auto arguments : {std::vector<std::string>{}, std::vector<std::string>{"--Quillstone-SD4-Monitor"},
                           std::vector<std::string>{"--quillstone-sd4-monitorX"}}) {
        ChildProcess& wizard = start(arguments, true);
        ASSERT_TRUE(waitFor([&] { return session.readRecord().has_value(); })) << "no wizard record";
        EXPECT_EQ(session.readRecord(), (Record{wizard.processIdentifier(), {}}));
        EXPECT_EQ(stopPolitely(wizard), 0);
        EXPECT_FALSE(std::filesystem::exists(session.fileURL())) << "own record left behind";
    }
}

TEST_F(SetupProgramTest, ReopenOverTheSessionBusOpensOneWizardAndThenActivatesIt) {
    // A private session bus for this test only.
    const auto socket = home.path() / "bus";
    ChildProcess& bus = *started.emplace_back(std::make_unique<ChildProcess>(
        "/usr/bin/dbus-daemon",
        std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket.string()}));
    bus.setStandardOutput(ChildProcess::Stream::null);
    bus.setStandardError(ChildProcess::Stream::null);
    bus.launch();
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(socket); }));
    extraEnvironment.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + socket.string());

    // The monitor passes its environment on to the wizard it opens, display included.
    ChildProcess& monitor = start({"--quillstone-sd4-monitor"}, true);
    auto reopen = [&] {
        auto variables = environment(false);
        for (const char* word : {"/usr/bin/dbus-send", "--session", "--print-reply",
                                 "--dest=com.quillstone.Quillstone-Setup", "--type=method_call", "/",
                                 "com.quillstone.QuillstoneSetup.Reopen"}) {
            variables.push_back(word);
        }
        ChildProcess call("/usr/bin/env", variables);
        call.setStandardOutput(ChildProcess::Stream::pipe);
        call.setStandardError(ChildProcess::Stream::null);
        call.launch();
        std::string reply = call.readStandardOutputToEnd();
        call.waitUntilExit();
        return call.terminationStatus() == 0 && reply.find("boolean true") != std::string::npos;
    };
    ASSERT_TRUE(waitFor(reopen)) << "the monitor never answered Reopen";
    auto wizardRecord = [&] {
        auto record = session.readRecord();
        return record && record->processIdentifier;
    };
    ASSERT_TRUE(waitFor(wizardRecord)) << "no wizard was opened";
    const pid_t wizard = openedWizard = *session.readRecord()->processIdentifier;
    EXPECT_NE(wizard, monitor.processIdentifier());

    // The wizard is running now: reopening brings it forward instead of opening another.
    EXPECT_TRUE(reopen());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(session.readRecord(), (Record{wizard, {}}));

    ::kill(wizard, SIGTERM);
    EXPECT_TRUE(waitFor([&] { return !std::filesystem::exists(session.fileURL()); }));
    EXPECT_EQ(stopPolitely(monitor), 0);
}
