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

// What parses is checked through Launchctl, which routes each form to the manager.
TEST(LaunchctlCommand, RefusesMalformedArgumentsWithTheUsageStatus) {
    const int usage = LaunchctlError::usageStatus;
    EXPECT_EQ(statusOf({}), usage);
    EXPECT_EQ(statusOf({"load", "x.plist"}), usage);
    EXPECT_EQ(statusOf({"print", "gui/501"}), usage);               // a domain where a service is needed
    EXPECT_EQ(statusOf({"print", "gui/501/"}), usage);
    EXPECT_EQ(statusOf({"print", "system/com.x"}), usage);          // only the gui domain exists here
    EXPECT_EQ(statusOf({"print", "gui/abc/com.x"}), usage);
    EXPECT_EQ(statusOf({"print", "gui/99999999999/com.x"}), usage); // overflows a uid
    EXPECT_EQ(statusOf({"print", "gui/1/../etc"}), usage);          // a label never walks folders
    EXPECT_EQ(statusOf({"print", "gui/1/.."}), usage);
    EXPECT_EQ(statusOf({"bootstrap", "gui/1/com.x", "x.plist"}), usage);
    EXPECT_EQ(statusOf({"bootstrap", "gui/1"}), usage);
    EXPECT_EQ(statusOf({"kickstart", "-p", "gui/1/com.x"}), usage);
    EXPECT_EQ(statusOf({"asuser", "501"}), usage);
    EXPECT_EQ(statusOf({"asuser", "x", "/bin/true"}), usage);
}
