#pragma once

#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/Workspace.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "setup/wizard/ContentView.h"
#include "setup/wizard/QuillstoneMonitorControl.h"
#include "setup/wizard/QuillstoneShortcutBridge.h"
#include "setup/wizard/QuillstoneShortcutBridgeError.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillstone::testing {

// The agent as the wizard sees it; every action lands in the journal and fails when listed.
class FakeMonitorControl : public QuillstoneMonitorControl {
public:
    std::vector<std::string> journal;
    std::set<std::string> failing;
    bool plistExists = false;
    bool loaded = false;
    // Runs inside an action, e.g. a second click that arrives while it blocks.
    std::function<void(const std::string&)> during;

    bool agentPropertyListExists() override { return plistExists; }
    bool isMonitorLoaded() override { return loaded; }
    void installMonitorAgent() override { act("installMonitorAgent", true); }
    void installClassicStatusHost() override { act("installClassicStatusHost"); }
    void uninstallMonitorAgent() override { act("uninstallMonitorAgent", false); }
    void removeSD4Monitor() override { act("removeSD4Monitor", false); }
    void removeLegacyStatusHostAgent() override { act("removeLegacyStatusHostAgent"); }
    void unregisterStatusHost() override { act("unregisterStatusHost"); }
    void upgradeMonitorService() override { act("upgradeMonitorService"); }

    // Worded as the real service words them, so screenshots read true.
    static std::string failure(const std::string& action) {
        static const std::map<std::string, std::string> worded{
            {"installMonitorAgent", "The Quillstone Monitor could not be started."},
            {"removeSD4Monitor", "The Quillstone Monitor could not be stopped."}};
        auto found = worded.find(action);
        return found == worded.end() ? action + " went wrong." : found->second;
    }

private:
    // A successful action that installs or removes the agent leaves it so.
    void act(const std::string& action, std::optional<bool> agentAfterwards = std::nullopt) {
        journal.push_back(action);
        if (during) {
            during(action);
        }
        if (failing.contains(action)) {
            throw std::runtime_error(failure(action));
        }
        if (agentAfterwards) {
            plistExists = loaded = *agentAfterwards;
        }
    }
};

class FakeShortcutBridge : public QuillstoneShortcutBridge {
public:
    // Answers in turn; the last one repeats.
    std::vector<bool> answers{false};
    int checks = 0;
    std::optional<QuillstoneShortcutBridgeError::Code> openFailure;
    int opens = 0;

    bool isShortcutInstalled() override {
        bool answer = answers[std::min<size_t>(static_cast<size_t>(checks), answers.size() - 1)];
        ++checks;
        return answer;
    }
    void openShortcutInstaller() override {
        ++opens;
        if (openFailure) {
            throw QuillstoneShortcutBridgeError(*openFailure);
        }
    }
};

// One wizard over fakes, in a temporary home with a throwaway Quillstone.app.
class WizardFixture {
public:
    static constexpr const char* scriptTemplate = "#!/bin/sh\nQUILLSTONE_DIR=__QUILLSTONE_DIR__\n";

    WizardFixture() {
        writeBundle("2.3", "40");
        writeText(bundle / "Contents/Resources/BackupMonitor.sh", scriptTemplate);
    }

    // Info.plist with the given versions (nullopt: key absent) and the two web addresses.
    void writeBundle(std::optional<std::string> version, std::optional<std::string> build,
                     std::string manifestURL = "https://updates.example/version.json",
                     std::string website = "https://quillstone.example") {
        writeApplicationBundle(
            bundle, "com.quillstone.Quillstone-Setup", version, build,
            {{"QuillstoneWebsiteURL", website}, {"QuillstoneUpdateManifestURL", manifestURL}});
    }

    void storeConfiguration(QuillstoneIntegration integration, const std::filesystem::path& folder) {
        configurationStore.save(QuillstoneConfiguration{1, integration, folder.string()});
    }

    ContentView& start() {
        view = std::make_unique<ContentView>(ContentView::Collaborators{
            configurationStore, monitor, shortcut, files, *administratorScript, workspace, components, *httpClient, mainQueue,
            backgroundQueue, clock, Bundle(bundle), applications,
            [this] { return candidate; },
            [this](const std::filesystem::path& url) { legacyRemovals.push_back(url); },
            [this](const QuillstoneFolderChoice& choice) {
                choices.push_back(choice);
                return chosenFolder;
            },
            [this] { ++terminations; }});
        view->setOnChange([this] { ++changes; });
        return *view;
    }

    // Forward to the given step; each step must allow it.
    void walkTo(int step) {
        while (view->currentStep() < step) {
            ASSERT_TRUE(view->canContinue()) << view->currentStep();
            view->goForward();
        }
    }

    TemporaryFolder root;
    std::filesystem::path home = root / "home";
    std::filesystem::path bundle = root / "Applications/Quillstone.app";
    std::filesystem::path applications = root / "Applications";
    PosixFileManager files{UserDomain::rootedAt(home)};
    QuillstoneConfigurationStore configurationStore{files};
    QuillstoneInstalledComponentsStore components{files};
    FakeMonitorControl monitor;
    FakeShortcutBridge shortcut;
    RecordingAdministratorScript administrator;
    AdministratorScript* administratorScript = &administrator;
    ScriptedWorkspace workspace;
    QtHttpClient http; // refuses everything but https and loopback http
    HttpClient* httpClient = &http;
    ManualMainQueue mainQueue;
    ManualBackgroundQueue backgroundQueue;
    ManualClock clock{TimePoint{} + std::chrono::seconds(1700000000)};
    std::optional<QuillstoneUpgradeCandidate> candidate;
    std::vector<std::filesystem::path> legacyRemovals;
    std::vector<QuillstoneFolderChoice> choices;
    std::optional<std::filesystem::path> chosenFolder;
    int terminations = 0;
    int changes = 0;
    std::unique_ptr<ContentView> view;
};

class WizardStateTest : public ::testing::Test, public WizardFixture {};

} // namespace quillstone::testing
