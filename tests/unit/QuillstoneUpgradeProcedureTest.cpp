#include "setup/service/QuillstoneUpgradeError.h"
#include "setup/service/QuillstoneUpgradeProcedure.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

using namespace quillstone;
namespace fs = std::filesystem;

namespace {

class UpgradeProcedure : public ::testing::Test {
protected:
    void SetUp() override {
        state.upgradeCandidate = candidate;
        QuillstoneUpgradeProcedure::Actions actions;
        actions.upgradeMonitorService = [this] {
            calls.push_back("upgradeMonitorService");
            if (!serviceError.empty()) {
                throw std::runtime_error(serviceError);
            }
        };
        actions.removeLegacyApplication = [this](const fs::path& url) {
            calls.push_back("remove " + url.string());
            if (removalFails) {
                throw QuillstoneUpgradeError(QuillstoneUpgradeError::Code::legacyApplicationRemovalFailed);
            }
        };
        actions.refreshMonitorState = [this] { calls.push_back("refresh"); };
        actions.startTask = [this](std::function<void()> work) { tasks.push_back(std::move(work)); };
        procedure = QuillstoneUpgradeProcedure::make(state, "/Applications/Quillstone.app", "/Applications",
                                                     std::move(actions));
    }

    void runTasks() {
        while (!tasks.empty()) {
            auto task = std::move(tasks.front());
            tasks.pop_front();
            task();
        }
    }

    QuillstoneUpgradeCandidate candidate{"2.2", "12", "/Applications/Quillstone Setup.app", "2.3", "40", false};
    QuillstoneUpgradeState state;
    std::shared_ptr<QuillstoneUpgradeProcedure> procedure;
    std::vector<std::string> calls;
    std::deque<std::function<void()>> tasks;
    std::string serviceError;
    bool removalFails = false;
};

} // namespace

TEST_F(UpgradeProcedure, FailuresKeepTheCandidateForAnotherTryAndSuccessClearsIt) {
    serviceError = "The monitor could not be upgraded.";
    procedure->performUpgrade(candidate);
    runTasks();
    EXPECT_EQ(state.upgradeErrorMessage, serviceError);
    EXPECT_EQ(calls, std::vector<std::string>{"upgradeMonitorService"});
    EXPECT_TRUE(state.upgradeCandidate);
    EXPECT_FALSE(state.isUpgradeInProgress);

    serviceError.clear();
    removalFails = true;
    procedure->performUpgrade(candidate);
    runTasks();
    EXPECT_EQ(state.upgradeErrorMessage, QuillstoneUpgradeError::legacyApplicationRemovalFailedDescription);
    EXPECT_TRUE(state.upgradeCandidate);
    EXPECT_EQ(state.monitorActionMessage, "");

    removalFails = false;
    calls.clear();
    procedure->performUpgrade(candidate);
    EXPECT_EQ(state.upgradeErrorMessage, "");
    procedure->performUpgrade(candidate); // ignored while the first one runs
    runTasks();
    EXPECT_EQ(calls, (std::vector<std::string>{"upgradeMonitorService", "remove /Applications/Quillstone Setup.app",
                                               "refresh"}));
    EXPECT_FALSE(state.upgradeCandidate);
}

TEST_F(UpgradeProcedure, ATaskOutlivingTheWizardDoesNothing) {
    procedure->performUpgrade(candidate);
    procedure.reset();
    runTasks();
    EXPECT_TRUE(calls.empty());
}
