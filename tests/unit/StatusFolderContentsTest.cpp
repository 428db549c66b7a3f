#include "platform/FileManager.h"
#include "setup/service/StatusFolderContents.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

TEST(StatusFolderContents, HiddenFilesAreIgnoredKnownItemsLabelledAndAnUnlistableFolderIsEmpty) {
    TemporaryFolder folder;
    PosixFileManager files(UserDomain::rootedAt(folder.path()));
    writeText(folder / ".DS_Store", "");
    writeText(folder / "backup_status.json", "{}");
    auto contents = inspectStatusFolder(folder.path(), files);
    EXPECT_EQ(contents, (StatusFolderContents{false, true, false, false}));
    EXPECT_EQ(existingItemLabels(contents), std::vector<std::string>{"Existing backup status"});

    writeText(folder / "BackupMonitor.sh", "#!/bin/sh\n");
    writeText(folder / "logs" / "run.log", "");
    EXPECT_EQ(existingItemLabels(inspectStatusFolder(folder.path(), files)),
              (std::vector<std::string>{"Existing backup status", "Existing backup logs", "Existing BackupMonitor.sh"}));

    writeText(folder / "notes.txt", "");
    auto labels = existingItemLabels(inspectStatusFolder(folder.path(), files));
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(labels.back(), "Other Quillstone files");

    // A missing folder, or a file where the folder should be, has nothing.
    contents = inspectStatusFolder(folder / "absent", files);
    EXPECT_EQ(contents, StatusFolderContents{});
    EXPECT_TRUE(existingItemLabels(contents).empty());
    EXPECT_EQ(inspectStatusFolder(folder / "notes.txt", files), StatusFolderContents{});
}
