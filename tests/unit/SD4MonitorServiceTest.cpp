#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/SD4MonitorService.h"
#include "setup/service/SD4MonitorServiceError.h"
#include "support/FakeBundles.h"
#include "support/ServiceFakes.h"
#include "support/TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class MonitorServiceTest : public ServiceFakesTest {
protected:
    fs::path bundle = root / "Applications/Quillstone.app";
    SystemLayout layout = SystemLayout::rootedAt(root.path(), files.userDomain(),
                                                 SystemTools{"/bin/launchctl", "/usr/bin/shortcuts", "/usr/bin/open",
                                                             "/usr/bin/osascript"});
    QuillstoneStatusHost host{{loginItems, running, runner, sleeper, files, Bundle(bundle), "/usr/bin/open"}};
    SD4MonitorService service{{files, layout, Bundle(bundle), UserIdentity{501, "anna"}, runner, host,
                               [this] { journal.push_back("remove monitor state"); }}};

    void SetUp() override {
        writeText(root / "status-app", "");
        makeSetupBundle(bundle, root / "status-app");
        pid_t next = 100;
        loginItems.onRegister = [this, next]() mutable { running.start(next++, statusID); };
    }
};

} // namespace

TEST_F(MonitorServiceTest, InstallationRegistersTheStatusHostAfterTheAgentAndShowsOnlyEnableAndBootstrap) {
    service.installMonitorAgent();
    EXPECT_THAT(journal,
                ElementsAre("launchctl bootout gui/501/com.quillstone.statushost",
                            "launchctl bootout gui/501/com.quillstone.monitor",
                            "launchctl enable gui/501/com.quillstone.monitor",
                            "launchctl bootstrap gui/501 " + service.launchAgentPlistURL("com.quillstone.monitor").string(),
                            std::string("register ") + statusID));
    service.isMonitorLoaded();
    std::vector<std::pair<std::string, bool>> silencing;
    for (const auto& call : runner.calls) {
        EXPECT_EQ(call.tool, "/bin/launchctl");
        silencing.emplace_back(call.arguments.front(), call.silenced);
    }
    using Call = std::pair<std::string, bool>;
    EXPECT_THAT(silencing, ElementsAre(Call{"bootout", true}, Call{"bootout", true}, Call{"enable", false},
                                       Call{"bootstrap", false}, Call{"print", true}));
}

TEST_F(MonitorServiceTest, RemovalNeedsItsHookAndStopsAtTheFirstFailure) {
    EXPECT_THROW((SD4MonitorService{{files, layout, Bundle(bundle), UserIdentity{501, "anna"}, runner, host, {}}}),
                 std::invalid_argument);
    loginItems.current = LoginItemStatus::enabled;
    loginItems.refuseUnregister = true;
    QuillstoneConfigurationStore configuration(files);
    configuration.save({1, QuillstoneIntegration::sd4, "/Users/anna/Dropbox/Quillstone"});
    EXPECT_THROW(service.removeSD4Monitor(), std::runtime_error);
    EXPECT_TRUE(configuration.loadComplete());
    EXPECT_THAT(journal, ::testing::Not(::testing::Contains("remove monitor state")));

    loginItems.refuseUnregister = false;
    service.removeSD4Monitor();
    EXPECT_FALSE(configuration.loadComplete());
    EXPECT_EQ(journal.back(), "remove monitor state");
}
