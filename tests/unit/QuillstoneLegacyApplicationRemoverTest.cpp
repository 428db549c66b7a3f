#include "platform/FileError.h"
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "setup/service/QuillstoneLegacyApplicationRemover.h"
#include "setup/service/QuillstoneUpgradeError.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

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

    std::string expectedSource(const std::string& destinationName) const {
        const std::string trash = layout.trashFolder.string();
        const std::string command = "/bin/mkdir -p '" + trash + "' && /bin/mv '" + legacy().string() + "' '" + trash +
                                    "/" + destinationName + "' && /usr/sbin/chown -R 501:20 '" + trash + "/" +
                                    destinationName + "'";
        return "do shell script \"" + command + "\" with administrator privileges";
    }

    static void expectRemovalFailure(const std::function<void()>& action) {
        try {
            action();
            FAIL() << "expected the legacy removal to fail";
        } catch (const QuillstoneUpgradeError& error) {
            EXPECT_EQ(error.code(), QuillstoneUpgradeError::Code::legacyApplicationRemovalFailed);
            EXPECT_STREQ(error.what(), QuillstoneUpgradeError::legacyApplicationRemovalFailedDescription);
        }
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

TEST_F(LegacyRemoval, NothingThereIsAlreadyRemoved) {
    remover.removeLegacyApplication(legacy());
    EXPECT_TRUE(workspace.recycled.empty());
    EXPECT_TRUE(administrator.sources.empty());
}

TEST_F(LegacyRemoval, DeletableCopyGoesToTheUsersTrash) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    workspace.onRecycle = [](const auto& items) { fs::remove_all(items.front()); };
    remover.removeLegacyApplication(legacy());
    EXPECT_EQ(workspace.recycled, std::vector<fs::path>{legacy()});
    EXPECT_TRUE(administrator.sources.empty());
}

TEST_F(LegacyRemoval, TheAdministratorMoveTakesOverWhenTheTrashCannotBeUsed) {
    struct Case {
        const char* name;
        std::function<void(const std::vector<fs::path>&)> onRecycle;
        bool deletable, recycled;
    };
    for (const Case& c : {Case{"recycle refused", [](const auto& items) { throw FileError(EACCES, items.front(), "Could not move"); },
                               true, true},
                          Case{"recycle left the copy behind", nullptr, true, true},
                          Case{"not deletable", nullptr, false, false}}) {
        SCOPED_TRACE(c.name);
        writeApplicationBundle(legacy(), setupID, "2.2", "12");
        workspace.recycled.clear();
        administrator.sources.clear();
        workspace.onRecycle = c.onRecycle;
        files.deletable = c.deletable;
        administrator.onRun = [this](const std::string&) { fs::remove_all(legacy()); };
        remover.removeLegacyApplication(legacy());
        EXPECT_EQ(workspace.recycled.size(), c.recycled ? 1u : 0u);
        EXPECT_EQ(administrator.sources, std::vector<std::string>{expectedSource("Quillstone Setup.app")});
    }
}

TEST_F(LegacyRemoval, CancelledPromptOrACopyStillThereIsAFailureNotSuccess) {
    writeApplicationBundle(legacy(), setupID, "2.2", "12");
    files.deletable = false;
    administrator.onRun = [](const std::string&) { throw std::runtime_error("User canceled. (-128)"); };
    expectRemovalFailure([this] { remover.removeLegacyApplication(legacy()); });

    administrator.onRun = nullptr; // the script "succeeds" but the bundle stays
    expectRemovalFailure([this] { remover.removeLegacyApplication(legacy()); });
    EXPECT_TRUE(fs::exists(legacy()));
}

TEST_F(LegacyRemoval, OnlyTheTwoKnownOldLocationsMayBeRemoved) {
    auto numbered = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup 2.app", setupID, "2.2", "12");
    expectRemovalFailure([&] { remover.removeLegacyApplication(numbered); });

    auto current = layout.applicationsFolder / "Quillstone.app";
    expectRemovalFailure([&] { remover.validateLegacyApplication(current); });

    auto versioned = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup for macOS v2.2.app", setupID,
                                            "2.2", "12");
    EXPECT_NO_THROW(remover.validateLegacyApplication(versioned));
    EXPECT_NO_THROW(remover.validateLegacyApplication(layout.applicationsFolder / "Utilities" / ".." /
                                                      "Quillstone Setup for macOS v2.2.app"));
    EXPECT_TRUE(workspace.recycled.empty());
    EXPECT_TRUE(administrator.sources.empty());
}

TEST_F(LegacyRemoval, ForeignBundlesAndLinksAreRefused) {
    writeApplicationBundle(legacy(), "com.example.Other", "2.2", "12");
    expectRemovalFailure([this] { remover.validateLegacyApplication(legacy()); });

    fs::remove_all(legacy());
    writeText(legacy() / "Contents" / "README", "no Info.plist");
    expectRemovalFailure([this] { remover.validateLegacyApplication(legacy()); });

    fs::remove_all(legacy());
    auto real = writeApplicationBundle(root / "Elsewhere" / "Real.app", setupID, "2.2", "12");
    fs::create_directory_symlink(real, legacy());
    expectRemovalFailure([this] { remover.removeLegacyApplication(legacy()); });
    EXPECT_TRUE(fs::exists(real / "Contents" / "Info.plist"));
    EXPECT_TRUE(workspace.recycled.empty());
    EXPECT_TRUE(administrator.sources.empty());
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
    EXPECT_EQ(administrator.sources, std::vector<std::string>{expectedSource("Quillstone Setup 3.app")});
}
