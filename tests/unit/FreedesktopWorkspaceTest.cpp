#include "platform/FileError.h"
#include "platform/FileManager.h"
#include "platform/FreedesktopWorkspace.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

class FreedesktopWorkspaceTest : public ::testing::Test {
protected:
    FreedesktopWorkspaceTest()
        : files(UserDomain::rootedAt(root / "home")),
          clock(TimePoint{std::chrono::seconds(1717171717)}),
          workspace(files, {root / "Applications", root / "home" / "Applications"},
                    FreedesktopWorkspace::homeTrash(files.userDomain()), clock) {}

    fs::path trash() const { return root / "home" / ".local" / "share" / "Trash"; }

    TemporaryFolder root;
    PosixFileManager files;
    ManualClock clock;
    FreedesktopWorkspace workspace;
};

} // namespace

TEST_F(FreedesktopWorkspaceTest, RecycleMovesTheItemRecordsWhereItCameFromAndKeepsSameNames) {
    auto item = writeApplicationBundle(root / "Applications" / "Old App.app", "com.example", "1", "1");
    workspace.recycle({item});
    EXPECT_FALSE(fs::exists(item));
    EXPECT_TRUE(fs::exists(trash() / "files" / "Old App.app" / "Contents" / "Info.plist"));
    auto info = readText(trash() / "info" / "Old App.app.trashinfo");
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + (root.path() / "Applications").string() + "/Old%20App.app\n"))
        << info;
    EXPECT_NE(info.find("\nDeletionDate=2024-"), std::string::npos) << info;

    writeText(item / "second", "2");
    workspace.recycle({item});
    EXPECT_TRUE(fs::exists(trash() / "files" / "Old App.app" / "Contents"));
    EXPECT_TRUE(fs::exists(trash() / "files" / "Old App.2.app" / "second"));
    EXPECT_TRUE(fs::exists(trash() / "info" / "Old App.2.app.trashinfo"));

    EXPECT_THROW(workspace.recycle({root / "Applications" / "Absent.app"}), FileError);
    EXPECT_FALSE(fs::exists(trash() / "info" / "Absent.app.trashinfo"));
}

TEST_F(FreedesktopWorkspaceTest, ApplicationsAreFoundByIdentifierInEveryFolder) {
    auto system = writeApplicationBundle(root / "Applications" / "Quillstone.app", "com.quillstone.Quillstone-Setup",
                                         "2.3", "40");
    auto user = writeApplicationBundle(root / "home" / "Applications" / "Copy.APP", "com.quillstone.Quillstone-Setup",
                                       "2.2", "1");
    writeApplicationBundle(root / "Applications" / "Other.app", "com.example.Other", "1", "1");
    writeApplicationBundle(root / "Applications" / ".Hidden.app", "com.quillstone.Quillstone-Setup", "1", "1");
    EXPECT_EQ(workspace.applicationURLs("com.quillstone.Quillstone-Setup"), (std::vector<fs::path>{system, user}));
}

TEST(PosixFileManagerQueries, ListingDeletabilityAndLinks) {
    TemporaryFolder root;
    PosixFileManager files(UserDomain::rootedAt(root.path()));
    writeText(root / "folder" / "a", "");
    writeText(root / "folder" / ".b", "");
    auto names = files.contentsOfDirectory(root / "folder");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".b", "a"}));
    EXPECT_THROW(files.contentsOfDirectory(root / "absent"), FileError);

    fs::create_symlink(root / "absent", root / "folder" / "dangling");
    EXPECT_TRUE(files.isSymbolicLink(root / "folder" / "dangling"));
    EXPECT_FALSE(files.isSymbolicLink(root / "folder" / "a"));
    EXPECT_THROW(files.isSymbolicLink(root / "absent"), FileError);

    EXPECT_TRUE(files.isDeletableFile(root / "folder" / "a"));
    EXPECT_FALSE(files.isDeletableFile(root / "folder" / "absent"));
}

TEST_F(FreedesktopWorkspaceTest, OpenHandsTheTargetToTheOpenToolAndReportsItsStatus) {
    auto tool = root / "open";
    writeText(tool, "#!/bin/sh\nprintf '%s' \"$*\" > \"$(dirname \"$0\")/opened\"\n[ \"$1\" != fail ]\n");
    fs::permissions(tool, fs::perms::owner_all);
    FreedesktopWorkspace opener(files, {}, trash(), clock, tool);
    EXPECT_TRUE(opener.open("https://example.com/a b"));
    EXPECT_EQ(readText(root / "opened"), "https://example.com/a b");
    EXPECT_FALSE(opener.open("fail"));
    EXPECT_FALSE(opener.open(""));
    FreedesktopWorkspace missing(files, {}, trash(), clock, root / "no-such-tool");
    EXPECT_FALSE(missing.open("/tmp"));
}
