#include "support/LaunchdHome.h"

using namespace quillstone;
using namespace quillstone::testing;

namespace {

class LaunchctlSystemdTest : public LaunchdHome {
protected:
    LaunchctlSystemdTest() {
        environment.set("XDG_CONFIG_HOME", (home / "config").string());
        useFakeSystemctl();
        writeText(log, "");
        writeText(executable, "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(executable, std::filesystem::perms::owner_all);
        writeAgent("com.quillstone.monitor", {executable.string(), "--quillstone-sd4-monitor"}, true, true,
                   "<key>ProcessType</key><string>Background</string>"
                   "<key>LimitLoadToSessionType</key><string>Aqua</string>"
                   "<key>EnvironmentVariables</key><dict><key>PATH</key>"
                   "<string>/usr/bin:/bin:/usr/sbin:/sbin</string></dict>");
    }

    static std::string service() { return domain() + "/com.quillstone.monitor"; }
    std::string takeLog() {
        auto text = readText(log);
        writeText(log, "");
        return text;
    }

    std::filesystem::path log = home / "systemctl.log";
    std::filesystem::path executable = home / "My Apps/Quillstone.app/Contents/MacOS/quillstone-setup";
    std::filesystem::path plist = home / "Library/LaunchAgents/com.quillstone.monitor.plist";
    std::filesystem::path unit = home / "config/systemd/user/com.quillstone.monitor.service";
};

} // namespace

TEST_F(LaunchctlSystemdTest, TheMonitorAgentLivesAsAUserUnit) {
    EXPECT_EQ(launch({"bootout", service()}).status, 3);
    EXPECT_EQ(launch({"enable", service()}).status, 0);
    takeLog();

    auto bootstrap = launch({"bootstrap", domain(), plist.string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    EXPECT_EQ(takeLog(), "daemon-reload\nenable com.quillstone.monitor.service\nstart com.quillstone.monitor.service\n");
    EXPECT_NE(readText(unit).find("ExecStart=\"" + executable.string() + "\" \"--quillstone-sd4-monitor\"\n"),
              std::string::npos)
        << readText(unit);

    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0);
    EXPECT_NE(print.output.find("\tpid = 4242\n"), std::string::npos) << print.output;
    EXPECT_NE(print.output.find("\tstate = running\n"), std::string::npos);
    EXPECT_NE(print.output.find("\tpath = " + plist.string() + "\n"), std::string::npos);
    takeLog();

    EXPECT_EQ(launch({"kickstart", "-k", service()}).status, 0);
    EXPECT_EQ(takeLog(), "restart com.quillstone.monitor.service\n");

    EXPECT_EQ(launch({"bootout", service()}).status, 0);
    EXPECT_EQ(takeLog(), "stop com.quillstone.monitor.service\ndisable com.quillstone.monitor.service\n"
                         "daemon-reload\n");
    EXPECT_FALSE(std::filesystem::exists(unit));
}

TEST_F(LaunchctlSystemdTest, WithoutAnsweringUserManagerTheOwnSupervisorTakesOver) {
    environment.set("FAKE_SYSTEMCTL_DOWN", "1");
    ASSERT_EQ(launch({"bootstrap", domain(), plist.string()}).status, 0);
    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0);
    EXPECT_NE(print.output.find("\tmanager = quillstone supervisor\n"), std::string::npos) << print.output;
    EXPECT_EQ(launch({"bootout", service()}).status, 0);
    EXPECT_EQ(readText(log), "");
    EXPECT_FALSE(std::filesystem::exists(unit));
}
