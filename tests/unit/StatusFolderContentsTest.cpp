#include "platform/FileManager.h"
#include "setup/service/StatusFolderContents.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

// What a folder holds is listed through the wizard's classic installation; here, what is no folder.
TEST(StatusFolderContents, AMissingFolderOrAFileInItsPlaceHasNothing) {
    TemporaryFolder folder;
    PosixFileManager files(UserDomain::rootedAt(folder.path()));
    writeText(folder / "notes.txt", "");
    EXPECT_EQ(inspectStatusFolder(folder / "absent", files), StatusFolderContents{});
    EXPECT_EQ(inspectStatusFolder(folder / "notes.txt", files), StatusFolderContents{});
    EXPECT_TRUE(existingItemLabels(StatusFolderContents{}).empty());
}
