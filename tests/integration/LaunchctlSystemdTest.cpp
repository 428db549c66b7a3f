#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

const std::filesystem::path launchctl = std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents/Helpers/launchctl";
const std::filesystem::path fixtures = std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

class LaunchctlSystemdTest : public ::testing::Test {
protected:
    LaunchctlSystemdTest() {
        environment.set("HOME", home.path().string());
        environment.set("XDG_CONFIG_HOME", (home / "config").string());
        environment.clear("XDG_RUNTIME_DIR");
        environment.clear("XDG_STATE_HOME");
        environment.set("QUILLSTONE_SYSTEMCTL", (fixtures / "fake-systemctl").string());
        environment.set("FAKE_SYSTEMCTL_LOG", log.string());
        environment.set("FAKE_SYSTEMCTL_STATE", (home / "systemctl-state").string());
        environment.clear("FAKE_SYSTEMCTL_DOWN");
        environment.clear("FAKE_SYSTEMCTL_FAIL");
        writeText(log, "");
        writeText(executable, "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(executable, std::filesystem::perms::owner_all);
        writeText(plist, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                         "<key>Label</key><string>com.quillstone.monitor</string>"
                         "<key>ProgramArguments</key><array><string>" + executable.string() +
                         "</string><string>--quillstone-sd4-monitor</string></array>"
                         "<key>RunAtLoad</key><true/><key>KeepAlive</key><true/>"
                         "<key>ProcessType</key><string>Background</string>"
                         "<key>LimitLoadToSessionType</key><string>Aqua</string>"
                         "<key>EnvironmentVariables</key><dict><key>PATH</key>"
                         "<string>/usr/bin:/bin:/usr/sbin:/sbin</string></dict>"
                         "</dict></plist>");
    }

    static std::string domain() { return "gui/" + std::to_string(::getuid()); }
    static std::string service() { return domain() + "/com.quillstone.monitor"; }
    static ProgramRun launch(const std::vector<std::string>& arguments) {
        return ProgramRun::of(launchctl, arguments);
    }
    std::string takeLog() {
        auto text = readText(log);
        writeText(log, "");
        return text;
    }

    TemporaryFolder home;
    ScopedEnvironment environment;
    std::filesystem::path log = home / "systemctl.log";
    std::filesystem::path executable = home / "My Apps/Quillstone.app/Contents/MacOS/quillstone-setup";
    std::filesystem::path plist = home / "Library/LaunchAgents/com.quillstone.monitor.plist";
    std::filesystem::path unit = home / "config/systemd/user/com.quillstone.monitor.service";
};

} // namespace

TEST_F(LaunchctlSystemdTest, TheMonitorAgentLivesAsAUserUnit) {
    EXPECT_EQ(launch({"print", service()}).status, 113);
    EXPECT_EQ(launch({"bootout", service()}).status, 3);
    EXPECT_EQ(launch({"enable", service()}).status, 0);
    takeLog();

    auto bootstrap = launch({"bootstrap", domain(), plist.string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    EXPECT_EQ(takeLog(), "daemon-reload\nenable com.quillstone.monitor.service\nstart com.quillstone.monitor.service\n");
    auto text = readText(unit);
    EXPECT_NE(text.find("ExecStart=\"" + executable.string() + "\" \"--quillstone-sd4-monitor\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Restart=always\n"), std::string::npos);

    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0);
    EXPECT_NE(print.output.find("\tpid = 4242\n"), std::string::npos) << print.output;
    EXPECT_NE(print.output.find("\tpath = " + plist.string() + "\n"), std::string::npos);
    takeLog();

    EXPECT_EQ(launch({"kickstart", "-k", service()}).status, 0);
    EXPECT_EQ(takeLog(), "restart com.quillstone.monitor.service\n");

    EXPECT_EQ(launch({"bootout", service()}).status, 0);
    EXPECT_EQ(takeLog(), "stop com.quillstone.monitor.service\ndisable com.quillstone.monitor.service\n"
                         "daemon-reload\n");
    EXPECT_FALSE(std::filesystem::exists(unit));
    EXPECT_EQ(launch({"print", service()}).status, 113);
}

TEST_F(LaunchctlSystemdTest, AFailedStartIsAFailedBootstrap) {
    environment.set("FAKE_SYSTEMCTL_FAIL", "start");
    auto bootstrap = launch({"bootstrap", domain(), plist.string()});
    EXPECT_EQ(bootstrap.status, 5);
    EXPECT_NE(bootstrap.errors.find("start com.quillstone.monitor.service"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(unit));
}

TEST_F(LaunchctlSystemdTest, WithoutAnsweringUserManagerTheOwnSupervisorTakesOver) {
    environment.set("FAKE_SYSTEMCTL_DOWN", "1");
    environment.set("QUILLSTONE_LAUNCHD_EXIT_TIMEOUT", "1");
    ASSERT_EQ(launch({"bootstrap", domain(), plist.string()}).status, 0);
    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0);
    EXPECT_NE(print.output.find("\tmanager = quillstone supervisor\n"), std::string::npos) << print.output;
    EXPECT_EQ(launch({"bootout", service()}).status, 0);
    EXPECT_EQ(readText(log), "");
    EXPECT_FALSE(std::filesystem::exists(unit));
}
