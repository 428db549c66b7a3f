#include "helpers/launchctl/LaunchctlCommand.h"
#include "helpers/launchctl/LaunchctlError.h"

#include <gtest/gtest.h>

using namespace quillstone;

namespace {

int statusOf(const std::vector<std::string>& arguments) {
    try {
        LaunchctlCommand::parse(arguments);
    } catch (const LaunchctlError& error) {
        return error.status();
    }
    return 0;
}

} // namespace

TEST(LaunchctlCommand, ParsesEveryFormTheSystemUses) {
    auto bootstrap = LaunchctlCommand::parse({"bootstrap", "gui/501", "/Users/a/Library/LaunchAgents/x.plist"});
    EXPECT_EQ(bootstrap.verb, LaunchctlCommand::Verb::bootstrap);
    EXPECT_EQ(bootstrap.uid, 501u);
    EXPECT_EQ(bootstrap.plistPath, "/Users/a/Library/LaunchAgents/x.plist");

    auto bootout = LaunchctlCommand::parse({"bootout", "gui/501/com.quillstone.monitor"});
    EXPECT_EQ(bootout.verb, LaunchctlCommand::Verb::bootout);
    EXPECT_EQ(bootout.label, "com.quillstone.monitor");

    auto bootoutByPlist = LaunchctlCommand::parse({"bootout", "gui/0", "/p/x.plist"});
    EXPECT_TRUE(bootoutByPlist.label.empty());
    EXPECT_EQ(bootoutByPlist.plistPath, "/p/x.plist");

    EXPECT_EQ(LaunchctlCommand::parse({"enable", "gui/7/a.b"}).verb, LaunchctlCommand::Verb::enable);
    EXPECT_EQ(LaunchctlCommand::parse({"print", "gui/7/a.b"}).label, "a.b");

    auto kickstart = LaunchctlCommand::parse({"kickstart", "-k", "gui/7/a.b"});
    EXPECT_TRUE(kickstart.killFirst);
    EXPECT_FALSE(LaunchctlCommand::parse({"kickstart", "gui/7/a.b"}).killFirst);

    auto asuser = LaunchctlCommand::parse({"asuser", "501", "/usr/bin/shortcuts", "run", "Name With Spaces"});
    EXPECT_EQ(asuser.uid, 501u);
    EXPECT_EQ(asuser.command, (std::vector<std::string>{"/usr/bin/shortcuts", "run", "Name With Spaces"}));
}

TEST(LaunchctlCommand, RefusesMalformedArgumentsWithTheUsageStatus) {
    const int usage = LaunchctlError::usageStatus;
    EXPECT_EQ(statusOf({}), usage);
    EXPECT_EQ(statusOf({"load", "x.plist"}), usage);
    EXPECT_EQ(statusOf({"print", "gui/501"}), usage);               // a domain where a service is needed
    EXPECT_EQ(statusOf({"print", "gui/501/"}), usage);
    EXPECT_EQ(statusOf({"print", "system/com.x"}), usage);          // only the gui domain exists here
    EXPECT_EQ(statusOf({"print", "gui/abc/com.x"}), usage);
    EXPECT_EQ(statusOf({"print", "gui/-1/com.x"}), usage);
    EXPECT_EQ(statusOf({"print", "gui/99999999999/com.x"}), usage); // overflows a uid
    EXPECT_EQ(statusOf({"print", "gui/1/../etc"}), usage);          // a label never walks folders
    EXPECT_EQ(statusOf({"print", "gui/1/.."}), usage);
    EXPECT_EQ(statusOf({"bootstrap", "gui/1/com.x", "x.plist"}), usage);
    EXPECT_EQ(statusOf({"bootstrap", "gui/1"}), usage);
    EXPECT_EQ(statusOf({"kickstart", "-p", "gui/1/com.x"}), usage);
    EXPECT_EQ(statusOf({"asuser", "501"}), usage);
    EXPECT_EQ(statusOf({"asuser", "x", "/bin/true"}), usage);
}
