#include "platform/FileManager.h"
#include "platform/Plist.h"
#include "platform/SystemLayout.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/QuillstoneUpgradeDetector.h"
#include "support/FakeRunningApplications.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* setupID = "com.quillstone.Quillstone-Setup";

class UpgradeDetection : public ::testing::Test {
protected:
    UpgradeDetection()
        : domain(UserDomain::rootedAt(root / "home")),
          files(domain),
          layout(SystemLayout::rootedAt(root.path(), domain, SystemTools{})),
          configuration(files, root / "home" / "configuration.json"),
          detector(files, layout, running, workspace, configuration) {
        writeApplicationBundle(current(), setupID, "2.3", "40");
    }

    fs::path current() const { return layout.applicationsFolder / "Quillstone.app"; }
    fs::path legacy() const { return layout.applicationsFolder / "Quillstone Setup.app"; }

    std::optional<QuillstoneUpgradeCandidate> detect() const { return detector.detectUpgradeCandidate(Bundle(current())); }

    static std::string agentPlist(const std::vector<std::string>& arguments) {
        auto plist = Plist::dictionary();
        plist.setString("Label", "com.quillstone.monitor");
        plist.setStringArray("ProgramArguments", arguments);
        return plist.toXml();
    }
    void writeAgentPlist(const std::vector<std::string>& arguments) {
        writeText(layout.launchAgentsFolder / "com.quillstone.monitor.plist", agentPlist(arguments));
    }

    TemporaryFolder root;
    UserDomain domain;
    PosixFileManager files;
    SystemLayout layout;
    FakeRunningApplications running;
    ScriptedWorkspace workspace;
    QuillstoneConfigurationStore configuration;
    QuillstoneUpgradeDetector detector;
};

} // namespace

TEST_F(UpgradeDetection, OnlyAnOlderCopyInApplicationsIsOfferedUnderAnyName) {
    using Version = std::optional<std::string>;
    const std::string legacyName = "Quillstone Setup.app";
    for (auto [name, version, build, offered] : std::vector<std::tuple<std::string, Version, Version, bool>>{
             {legacyName, "2.2", "12", true}, {legacyName, "2.3", "9", true}, // builds compare as numbers
             {legacyName, std::nullopt, std::nullopt, true}, {"Quillstone Setup 2.app", "2.2", "12", true},
             {legacyName, "2.3", "40", false}, {legacyName, "2.3", "41", false}, {legacyName, "2.10", "1", false}}) {
        auto copy = writeApplicationBundle(layout.applicationsFolder / name, setupID, version, build);
        auto expected = QuillstoneUpgradeCandidate{version.value_or("0"), build.value_or("0"), copy, "2.3", "40", true};
        EXPECT_EQ(detect(), offered ? std::optional(expected) : std::nullopt) << name << " " << version.value_or("none");
        fs::remove_all(copy);
    }
}

TEST_F(UpgradeDetection, LegacyClassicFilesArePreservedUnlessAValidConfigurationExists) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    EXPECT_TRUE(detect()->preservesLegacyClassicFiles); // an unusable one reads as none, as the store's tests show
    writeText(configuration.fileURL(),
              "{\"version\":1,\"integration\":\"classic\",\"quillstoneFolderPath\":\"/Users/u/Dropbox/Quillstone\"}");
    EXPECT_FALSE(detect()->preservesLegacyClassicFiles);
}

// Older copies outside the Applications folder or in a folder below it, another application
// and a copy without Info.plist are collected but never offered.
TEST_F(UpgradeDetection, SourcesAreCollectedInOrderWithoutDuplicates) {
    auto agentApp = writeApplicationBundle(root / "Elsewhere" / "Agent.app", setupID, "2.2", "12");
    writeAgentPlist({(agentApp / "Contents" / "MacOS" / "quillstone-setup").string(), "--quillstone-sd4-monitor"});
    auto host = root / "Hosts" / "Host.app";
    running.running = {
        {42, "com.quillstone.Quillstone-Setup.Status",
         host / "Contents" / "Library" / "LoginItems" / "Quillstone Status.app"},
        {43, "com.example.Other", root / "Other.app"},
    };
    auto utility = writeApplicationBundle(layout.utilitiesFolder / "Quillstone Setup.app", setupID, "2.2", "12");
    workspace.applications = {writeApplicationBundle(root / "Known.app", setupID, "2.2", "12"), utility,
                              layout.applicationsFolder / "." / "B.app"};
    writeText(layout.applicationsFolder / "B.app" / "x", "");
    writeApplicationBundle(layout.applicationsFolder / "A.APP", "com.example.Other", "1.0", "1");
    writeText(layout.applicationsFolder / ".Hidden.app" / "x", "");
    writeText(layout.applicationsFolder / "notes.txt", "");

    EXPECT_EQ(detector.findInstalledSetupApplications(),
              (std::vector<fs::path>{agentApp, host, root / "Known.app", utility,
                                     layout.applicationsFolder / "." / "B.app", layout.applicationsFolder / "A.APP",
                                     current()}));
    EXPECT_EQ(workspace.queriedIdentifiers, std::vector<std::string>{setupID});
    EXPECT_FALSE(detect());
}

TEST_F(UpgradeDetection, BrokenAgentPropertyListsOrAnUnlistableApplicationsFolderOnlyShrinkTheList) {
    auto numberArguments = Plist::dictionary();
    numberArguments.setUnsigned("ProgramArguments", 7);
    for (const std::string& broken : {std::string("garbage"), agentPlist({}),
                                      agentPlist({"/usr/local/bin/not-a-bundle"}), numberArguments.toXml()}) {
        writeText(layout.launchAgentsFolder / "com.quillstone.monitor.plist", broken);
        EXPECT_EQ(detector.findInstalledSetupApplications(), std::vector<fs::path>{current()}) << broken;
    }
    fs::remove_all(layout.applicationsFolder);
    EXPECT_TRUE(detector.findInstalledSetupApplications().empty());
    EXPECT_FALSE(detector.detectUpgradeCandidate(Bundle(root / "Build" / "Quillstone.app")));
}

TEST_F(UpgradeDetection, AgentPointingAtAnOlderCopyInApplicationsIsOfferedFirst) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    auto versioned = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup for macOS v2.2.app", setupID,
                                            "2.1", "5");
    writeAgentPlist({(versioned / "Contents" / "MacOS" / "quillstone-setup").string()});
    auto candidate = detect();
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->installedBundleURL, versioned);
}
