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
    // systemd would expand specifiers and variables; they must arrive literally.
    for (auto [argument, quoted] : std::vector<std::pair<std::string, std::string>>{
             {"/a b/c", "\"/a b/c\""}, {"it's", "\"it's\""}, {"say \"hi\"", "\"say \\\"hi\\\"\""},
             {"C:\\dir", "\"C:\\\\dir\""}, {"100%h", "\"100%%h\""}, {"$HOME", "\"$$HOME\""},
             {"a\nb\x01", "\"a\\nb\\x01\""}, {"", "\"\""}}) {
        EXPECT_EQ(SystemdUserUnit::quoteArgument(argument), quoted) << argument;
    }
}

TEST(SystemdUserUnit, RendersTheAgentsRestartsTimingEnvironmentAndOutputs) {
    auto definition = monitorAgent();
    auto unit = SystemdUserUnit::render(definition, definition.programArguments.front(),
                                        "/home/ann/Library/LaunchAgents/com.quillstone.monitor.plist", {});
    for (const char* line :
         {"ExecStart=\"/opt/My Apps/Quillstone.app/Contents/MacOS/quillstone-setup\" \"--quillstone-sd4-monitor\"",
          "Restart=always", "RestartSec=10s", "StartLimitIntervalSec=0", "Environment=\"HOME=/home/ann\"",
          "Environment=\"PATH=/usr/bin:/bin:/usr/sbin:/sbin\"", "StandardOutput=null", "StandardError=null",
          "WantedBy=default.target"}) {
        EXPECT_TRUE(hasLine(unit, line)) << line << " in\n" << unit;
    }
    EXPECT_EQ(SystemdUserUnit::plistPathOf(unit),
              std::filesystem::path("/home/ann/Library/LaunchAgents/com.quillstone.monitor.plist"));

    definition.keepAlive = LaunchAgentDefinition::KeepAlive::afterFailure;
    definition.throttleInterval = std::chrono::seconds(3);
    definition.standardErrorPath = "/var/log/100%.log";
    definition.environment = {{"GREETING", "50% of $X"}};
    SupervisorSettings settings;
    settings.exitTimeout = std::chrono::milliseconds(1500);
    unit = SystemdUserUnit::render(definition, "/bin/x", "/p.plist", settings);
    for (const char* line : {"Restart=on-failure", "RestartSec=3s", "TimeoutStopSec=1.500s",
                             "StandardError=append:/var/log/100%%.log", "Environment=\"GREETING=50%% of $X\""}) {
        EXPECT_TRUE(hasLine(unit, line)) << line << " in\n" << unit;
    }

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
