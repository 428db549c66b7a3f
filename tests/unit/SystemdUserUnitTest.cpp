#include "helpers/launchctl/LaunchctlError.h"
#include "helpers/launchctl/SystemdUserUnit.h"

#include <gtest/gtest.h>

using namespace quillstone;

namespace {

LaunchAgentDefinition monitorAgent() {
    LaunchAgentDefinition definition;
    definition.label = "com.quillstone.monitor";
    definition.programArguments = {"/opt/My Apps/Quillstone.app/Contents/MacOS/quillstone-setup",
                                   "--quillstone-sd4-monitor"};
    definition.runAtLoad = true;
    definition.keepAlive = LaunchAgentDefinition::KeepAlive::always;
    definition.environment = {{"HOME", "/home/ann"}, {"PATH", "/usr/bin:/bin:/usr/sbin:/sbin"}};
    return definition;
}

bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

} // namespace

TEST(SystemdUserUnit, QuotesArgumentsSoSystemdReadsThemBackUnchanged) {
    EXPECT_EQ(SystemdUserUnit::quoteArgument("/a b/c"), "\"/a b/c\"");
    EXPECT_EQ(SystemdUserUnit::quoteArgument("it's"), "\"it's\"");
    EXPECT_EQ(SystemdUserUnit::quoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(SystemdUserUnit::quoteArgument("C:\\dir"), "\"C:\\\\dir\"");
    // systemd would expand specifiers and variables; they must arrive literally.
    EXPECT_EQ(SystemdUserUnit::quoteArgument("100%h"), "\"100%%h\"");
    EXPECT_EQ(SystemdUserUnit::quoteArgument("$HOME"), "\"$$HOME\"");
    EXPECT_EQ(SystemdUserUnit::quoteArgument("a\nb\x01"), "\"a\\nb\\x01\"");
    EXPECT_EQ(SystemdUserUnit::quoteArgument(""), "\"\"");
}

TEST(SystemdUserUnit, RendersTheMonitorAgentAsAKeptAliveService) {
    SupervisorSettings settings;
    auto unit = SystemdUserUnit::render(monitorAgent(), monitorAgent().programArguments.front(),
                                        "/home/ann/Library/LaunchAgents/com.quillstone.monitor.plist", settings);
    EXPECT_TRUE(hasLine(unit, "ExecStart=\"/opt/My Apps/Quillstone.app/Contents/MacOS/quillstone-setup\" "
                              "\"--quillstone-sd4-monitor\""))
        << unit;
    EXPECT_TRUE(hasLine(unit, "Restart=always"));
    EXPECT_TRUE(hasLine(unit, "RestartSec=10s"));
    EXPECT_TRUE(hasLine(unit, "StartLimitIntervalSec=0"));
    EXPECT_TRUE(hasLine(unit, "Environment=\"HOME=/home/ann\""));
    EXPECT_TRUE(hasLine(unit, "Environment=\"PATH=/usr/bin:/bin:/usr/sbin:/sbin\""));
    EXPECT_TRUE(hasLine(unit, "StandardOutput=null"));
    EXPECT_TRUE(hasLine(unit, "StandardError=null"));
    EXPECT_TRUE(hasLine(unit, "WantedBy=default.target"));
    EXPECT_EQ(SystemdUserUnit::plistPathOf(unit),
              std::filesystem::path("/home/ann/Library/LaunchAgents/com.quillstone.monitor.plist"));
}

TEST(SystemdUserUnit, FollowsTheAgentsOwnTimingAndOutputs) {
    auto definition = monitorAgent();
    definition.keepAlive = LaunchAgentDefinition::KeepAlive::afterFailure;
    definition.throttleInterval = std::chrono::seconds(3);
    definition.standardErrorPath = "/var/log/100%.log";
    definition.environment = {{"GREETING", "50% of $X"}};
    SupervisorSettings settings;
    settings.exitTimeout = std::chrono::milliseconds(1500);
    auto unit = SystemdUserUnit::render(definition, "/bin/x", "/p.plist", settings);
    EXPECT_TRUE(hasLine(unit, "Restart=on-failure"));
    EXPECT_TRUE(hasLine(unit, "RestartSec=3s"));
    EXPECT_TRUE(hasLine(unit, "TimeoutStopSec=1.500s"));
    EXPECT_TRUE(hasLine(unit, "StandardError=append:/var/log/100%%.log"));
    EXPECT_TRUE(hasLine(unit, "Environment=\"GREETING=50%% of $X\"")) << unit;

    definition.keepAlive = LaunchAgentDefinition::KeepAlive::never;
    unit = SystemdUserUnit::render(definition, "/bin/x", "/p.plist", settings);
    EXPECT_TRUE(hasLine(unit, "Restart=no"));
    EXPECT_EQ(unit.find("RestartSec="), std::string::npos);
}

TEST(SystemdUserUnit, RefusesWhatAUnitCannotCarry) {
    EXPECT_EQ(SystemdUserUnit::unitName("com.quillstone.monitor"), "com.quillstone.monitor.service");
    EXPECT_THROW(SystemdUserUnit::unitName("has space"), LaunchctlError);
    EXPECT_THROW(SystemdUserUnit::unitName("a%b"), LaunchctlError);
    auto definition = monitorAgent();
    definition.workingDirectory = "relative/folder";
    EXPECT_THROW(SystemdUserUnit::render(definition, "/bin/x", "/p", {}), LaunchctlError);
    definition.workingDirectory = "/line\nbreak";
    EXPECT_THROW(SystemdUserUnit::render(definition, "/bin/x", "/p", {}), LaunchctlError);
}
