#include "platform/FileError.h"
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "setup/service/QuillstoneLegacyApplicationRemover.h"
#include "setup/service/QuillstoneUpgradeError.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <stdexcept>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* setupID = "com.quillstone.Quillstone-Setup";

// A file manager whose deletability answer the test decides.
class DeletabilityFileManager : public PosixFileManager {
public:
    using PosixFileManager::PosixFileManager;
    bool isDeletableFile(const fs::path&) const override { return deletable; }
    bool deletable = true;
};

class LegacyRemoval : public ::testing::Test {
protected:
    LegacyRemoval()
        : domain(UserDomain::rootedAt(root / "home")),
          files(domain),
          layout(SystemLayout::rootedAt(root.path(), domain, SystemTools{})),
          remover(files, workspace, administrator, layout, layout.applicationsFolder / "Quillstone.app", {501, 20}) {
        writeApplicationBundle(layout.applicationsFolder / "Quillstone.app", setupID, "2.3", "40");
    }

    fs::path legacy() const { return layout.applicationsFolder / "Quillstone Setup.app"; }

    static auto failsRemoval() {
        return ::testing::ThrowsMessage<QuillstoneUpgradeError>(
            QuillstoneUpgradeError::legacyApplicationRemovalFailedDescription);
    }

    TemporaryFolder root;
    UserDomain domain;
    DeletabilityFileManager files;
    SystemLayout layout;
    ScriptedWorkspace workspace;
    RecordingAdministratorScript administrator;
    QuillstoneLegacyApplicationRemover remover;
};

} // namespace

TEST_F(LegacyRemoval, ADeletableCopyGoesToTheUsersTrashAndNothingThereIsAlreadyRemoved) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    workspace.onRecycle = [](const auto& items) { fs::remove_all(items.front()); };
    for (int round = 0; round < 2; ++round) { // the second finds nothing left
        remover.removeLegacyApplication(legacy());
    }
    EXPECT_EQ(workspace.recycled, std::vector<fs::path>{legacy()});
    EXPECT_TRUE(administrator.sources.empty());
}

// A copy that cannot be deleted skips the Trash: see the numbered trash names below.
TEST_F(LegacyRemoval, TheAdministratorMoveTakesOverWhenRecyclingLeftTheCopyBehind) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    administrator.onRun = [this](const std::string&) { fs::remove_all(legacy()); };
    remover.removeLegacyApplication(legacy());
    EXPECT_EQ(workspace.recycled, std::vector<fs::path>{legacy()});
    EXPECT_EQ(administrator.sources.size(), 1u); // its words run through a real shell elsewhere
}

TEST_F(LegacyRemoval, CancelledPromptOrACopyStillThereIsAFailureNotSuccess) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    files.deletable = false;
    administrator.onRun = [](const std::string&) { throw std::runtime_error("User canceled. (-128)"); };
    EXPECT_THAT([this] { remover.removeLegacyApplication(legacy()); }, failsRemoval());

    administrator.onRun = nullptr; // the script "succeeds" but the bundle stays
    EXPECT_THAT([this] { remover.removeLegacyApplication(legacy()); }, failsRemoval());
    EXPECT_TRUE(fs::exists(legacy()));
}

TEST_F(LegacyRemoval, OnlyOurOwnBundleAtOneOfTheTwoKnownOldLocationsMayBeRemoved) {
    auto numbered = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup 2.app", setupID, "2.2", "12");
    EXPECT_THAT([&] { remover.removeLegacyApplication(numbered); }, failsRemoval());
    const auto current = layout.applicationsFolder / "Quillstone.app";
    EXPECT_THAT([&] { remover.validateLegacyApplication(current); }, failsRemoval());

    writeApplicationBundle(legacy(), "com.example.Other", "2.2", "12");
    EXPECT_THAT([this] { remover.validateLegacyApplication(legacy()); }, failsRemoval());
    fs::remove_all(legacy());
    writeText(legacy() / "Contents" / "README", "no Info.plist");
    EXPECT_THAT([this] { remover.validateLegacyApplication(legacy()); }, failsRemoval());
    fs::remove_all(legacy());
    auto real = writeApplicationBundle(root / "Elsewhere" / "Real.app", setupID, "2.2", "12");
    fs::create_directory_symlink(real, legacy());
    EXPECT_THAT([this] { remover.removeLegacyApplication(legacy()); }, failsRemoval());
    EXPECT_TRUE(fs::exists(real / "Contents" / "Info.plist"));
    EXPECT_TRUE(workspace.recycled.empty());
    EXPECT_TRUE(administrator.sources.empty());

    auto versioned = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup for macOS v2.2.app",
                                            setupID, "2.2", "12");
    EXPECT_NO_THROW(remover.validateLegacyApplication(versioned));
    EXPECT_NO_THROW(remover.validateLegacyApplication(layout.applicationsFolder / "Utilities" / ".." /
                                                      "Quillstone Setup for macOS v2.2.app"));
}

TEST_F(LegacyRemoval, TrashNamesCountUpPastTakenOnes) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    EXPECT_EQ(remover.trashDestination(legacy()), layout.trashFolder / "Quillstone Setup.app");
    writeText(layout.trashFolder / "Quillstone Setup.app" / "x", "");
    EXPECT_EQ(remover.trashDestination(legacy()), layout.trashFolder / "Quillstone Setup 1.app");
    writeText(layout.trashFolder / "Quillstone Setup 1.app", "");
    fs::create_symlink(root / "gone", layout.trashFolder / "Quillstone Setup 2.app");
    EXPECT_EQ(remover.trashDestination(legacy()), layout.trashFolder / "Quillstone Setup 3.app");

    files.deletable = false;
    administrator.onRun = [this](const std::string&) { fs::remove_all(legacy()); };
    remover.removeLegacyApplication(legacy());
    EXPECT_TRUE(workspace.recycled.empty());
    EXPECT_THAT(administrator.sources, ::testing::ElementsAre(::testing::HasSubstr("/Quillstone Setup 3.app' &&")));
}
