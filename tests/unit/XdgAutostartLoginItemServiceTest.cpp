#include "platform/LoginItemError.h"
#include "platform/XdgAutostartLoginItemService.h"
#include "support/FakeBundles.h"
#include "support/ScopedEnvironment.h"
#include "support/ServiceFakes.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

constexpr const char* statusID = "com.quillstone.Quillstone-Setup.Status";

class XdgAutostartTest : public ::testing::Test {
protected:
    TemporaryFolder root;
    Journal journal;
    JournalingRunningApplications running{journal};
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
    std::vector<std::filesystem::path> launched;
    std::filesystem::path mainBundle = root / "My Apps/Quillstone.app";
    std::filesystem::path statusBundle = statusBundleOf(mainBundle);
    XdgAutostartLoginItemService service{files, Bundle(mainBundle), root / "config/autostart", running,
                                         [this](const std::filesystem::path& executable,
                                                const std::vector<std::string>&) { launched.push_back(executable); }};

    void embedStatusApp() {
        writeText(root / "status-program", "");
        makeSetupBundle(mainBundle, root / "status-program");
    }
};

} // namespace

TEST_F(XdgAutostartTest, ExecQuotesThePathAsDesktopEntriesRequire) {
    EXPECT_EQ(XdgAutostartLoginItemService::quotedExecArgument("/opt/My Apps/status"), "\"/opt/My Apps/status\"");
    // Quoting escapes " ` $ \ with a backslash; the string value then doubles each backslash.
    EXPECT_EQ(XdgAutostartLoginItemService::quotedExecArgument("/a\"b`c$d\\e"), R"("/a\\"b\\`c\\$d\\\\e")");
    EXPECT_EQ(XdgAutostartLoginItemService::quotedExecArgument("/100%/x"), "\"/100%%/x\"");
    EXPECT_EQ(XdgAutostartLoginItemService::quotedExecArgument("/a\nb"), "\"/a\\nb\"");
}

TEST_F(XdgAutostartTest, RegisteringWritesTheEntryAndStartsTheAppEvenIfThatFails) {
    embedStatusApp();
    EXPECT_EQ(service.status(statusID), LoginItemStatus::notRegistered);
    service.registerItem(statusID);
    EXPECT_EQ(service.status(statusID), LoginItemStatus::enabled);
    EXPECT_EQ(readText(root / "config/autostart/com.quillstone.Quillstone-Setup.Status.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Quillstone Status\n"
              "Exec=\"" + (statusBundle / "Contents/MacOS/quillstone-status").string() + "\"\n"
              "NoDisplay=true\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(launched, std::vector{statusBundle / "Contents/MacOS/quillstone-status"});

    // Already running: registered again, not started twice.
    running.start(10, statusID);
    service.registerItem(statusID);
    EXPECT_EQ(launched.size(), 1u);

    service.unregisterItem(statusID);
    EXPECT_EQ(service.status(statusID), LoginItemStatus::notRegistered);

    // A launcher that fails still leaves the item registered.
    running.apps.clear();
    XdgAutostartLoginItemService failing{files, Bundle(mainBundle), root / "config/autostart", running,
                                         [](const std::filesystem::path&, const std::vector<std::string>&) {
                                             throw std::runtime_error("cannot start");
                                         }};
    failing.registerItem(statusID);
    EXPECT_EQ(failing.status(statusID), LoginItemStatus::enabled);
}

TEST_F(XdgAutostartTest, AnItemMissingFromTheBundleIsRefusedAndNothingIsWritten) {
    try {
        service.registerItem(statusID);
        FAIL() << "registered a missing item";
    } catch (const LoginItemError& error) {
        EXPECT_STREQ(error.what(), LoginItemError::notFoundDescription);
    }
    embedStatusApp();
    EXPECT_THROW(service.registerItem("com.example.other"), LoginItemError);
    EXPECT_FALSE(std::filesystem::exists(root / "config/autostart"));
    EXPECT_TRUE(launched.empty());
}

TEST_F(XdgAutostartTest, DefaultFolderHonoursAnAbsoluteXdgConfigHome) {
    ScopedEnvironment environment;
    UserDomain domain = UserDomain::rootedAt("/home/anna");
    environment.set("XDG_CONFIG_HOME", "/srv/config");
    EXPECT_EQ(XdgAutostartLoginItemService::defaultFolder(domain), "/srv/config/autostart");
    environment.set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(XdgAutostartLoginItemService::defaultFolder(domain), "/home/anna/.config/autostart");
    environment.clear("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgAutostartLoginItemService::defaultFolder(domain), "/home/anna/.config/autostart");
}
