#include "platform/FileManager.h"
#include "platform/HelperAdministratorScript.h"
#include "platform/SystemLayout.h"
#include "setup/service/QuillstoneLegacyApplicationRemover.h"
#include "setup/service/QuillstoneUpgradeError.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"
#include "support/ToolRecorders.h"
#include "support/UpgradeFixtures.h"

#include <gmock/gmock.h>

#include <stdexcept>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* setupID = "com.quillstone.Quillstone-Setup";
const fs::path recordingOsascript = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures/recording-osascript";

class AdministratorMove : public ::testing::Test {
protected:
    AdministratorMove()
        : weird(root / "It's \"odd\" \\ $(not run) `nor this` *"),
          domain(UserDomain::rootedAt(weird / "home dir")),
          files(domain),
          layout(SystemLayout::rootedAt(weird, domain, SystemTools{})),
          remover(files, workspace, shell, layout, layout.applicationsFolder / "Quillstone.app",
                  QuillstoneLegacyApplicationRemover::Account::current()) {
        writeToolRecorders(root / "tools", root / "calls.log");
        environment.set("QUILLSTONE_RECORDERS", (root / "tools").string());
        // The user's own Trash refuses, as for an app installed by another user.
        workspace.onRecycle = [](const auto&) { throw std::runtime_error("refused"); };
    }

    std::string calls() const { return readText(root / "calls.log"); }

    // mkdir and mv run unrecorded: a path split into words leaves the copy where it was.
    std::string expectedCalls(const fs::path& destination) const {
        const std::string ids = std::to_string(::getuid()) + ":" + std::to_string(::getgid());
        return "chown\n[-R]\n[" + ids + "]\n[" + destination.string() + "]\n";
    }

    TemporaryFolder root;
    fs::path weird;
    UserDomain domain;
    PosixFileManager files;
    SystemLayout layout;
    ScriptedWorkspace workspace;
    ScopedEnvironment environment;
    HelperAdministratorScript shell{recordingOsascript};
    QuillstoneLegacyApplicationRemover remover;
};

} // namespace

// The folders above hold quotes, backslashes, $() and backticks: each path must reach the tools whole.
TEST_F(AdministratorMove, ACopyUnderAnOddFolderReachesTheTrashWhole) {
    const auto legacy = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup for macOS v2.2.app",
                                               setupID, "2.1", "7");
    const std::string info = readText(legacy / "Contents" / "Info.plist");
    remover.removeLegacyApplication(legacy);
    const auto trashed = layout.trashFolder / "Quillstone Setup for macOS v2.2.app";
    EXPECT_EQ(calls(), expectedCalls(trashed));
    EXPECT_EQ(readText(trashed / "Contents" / "Info.plist"), info);
    EXPECT_FALSE(fs::exists(legacy));
}

TEST_F(AdministratorMove, AFailingCommandIsReportedAsAFailedRemoval) {
    const auto legacy = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup.app", setupID, "2.2", "12");
    // A file where the Trash folder should be makes mkdir -p fail.
    writeText(layout.trashFolder, "not a folder");
    EXPECT_THAT([&] { remover.removeLegacyApplication(legacy); },
                ::testing::ThrowsMessage<QuillstoneUpgradeError>(
                    QuillstoneUpgradeError::legacyApplicationRemovalFailedDescription));
    EXPECT_TRUE(fs::exists(legacy / "Contents" / "Info.plist"));
}
