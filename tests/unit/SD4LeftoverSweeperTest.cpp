#include "platform/FolderLock.h"
#include "setup/monitor/SD4LeftoverSweeper.h"
#include "support/TemporaryFolder.h"
#include "support/FileListings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quillstone;
using quillstone::testing::sortedNamesIn;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace fs = std::filesystem;

TEST(SD4LeftoverSweeperTest, RemovesOnlyExactLeftoverNamesOfOurOwn) {
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    const fs::path support = home.path() / "support", status = home.path() / "Dropbox/Quillstone",
                   temporary = home.path() / "tmp";
    for (const auto& name : {".sd4-run-ledger.json.Ab3xY9", ".sd4-pending-runs.json.000000",
                             ".sd4-monitor.log.zzzzzz", "sd4-run-ledger.json", ".sd4-run-ledger.json.Ab3xY",
                             ".sd4-run-ledger.json.Ab3xY9z", ".sd4-run-ledger.json.Ab-xY9",
                             ".configuration.json.Ab3xY9", ".backup_status.json.Ab3xY9"}) {
        writeText(support / name, "x");
    }
    for (const auto& name : {".backup_status.json.Q1w2E3", "backup_status.json", ".BackupMonitor.sh.Q1w2E3"}) {
        writeText(status / name, "x");
    }
    fs::create_directories(temporary / "Quillstone-SD4-0A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D/inner");
    writeText(temporary / "Quillstone-SD4-0A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D/inner/output.json", "{}");
    fs::create_directories(temporary / "Quillstone-SD4-not-a-uuid");
    writeText(temporary / "Quillstone-SD4-1A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D", "a file, not a folder");
    fs::create_directories(home.path() / "elsewhere");
    fs::create_directory_symlink(home.path() / "elsewhere",
                                 temporary / "Quillstone-SD4-2A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D");

    SD4LeftoverSweeper sweeper(files, support, temporary);
    EXPECT_EQ(sweeper.sweep(status), 5u);
    EXPECT_EQ(sortedNamesIn(support),
              (std::vector<std::string>{".backup_status.json.Ab3xY9", ".configuration.json.Ab3xY9",
                                        ".sd4-run-ledger.json.Ab-xY9", ".sd4-run-ledger.json.Ab3xY",
                                        ".sd4-run-ledger.json.Ab3xY9z", "sd4-run-ledger.json"}));
    EXPECT_EQ(sortedNamesIn(status),
              (std::vector<std::string>{".BackupMonitor.sh.Q1w2E3", "backup_status.json"}));
    EXPECT_EQ(sortedNamesIn(temporary),
              (std::vector<std::string>{"Quillstone-SD4-1A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D",
                                        "Quillstone-SD4-2A1B2C3D-4E5F-4A6B-8C7D-8E9F0A1B2C3D",
                                        "Quillstone-SD4-not-a-uuid"}));
    EXPECT_EQ(SD4LeftoverSweeper(files, home.path() / "missing", home.path() / "missing").sweep(""), 0u);
}

TEST(SD4LeftoverSweeperTest, TheFolderLockHasOneHolderAtATime) {
    TemporaryFolder folder;
    auto first = FolderLock::tryAcquire(folder.path());
    ASSERT_TRUE(first);
    EXPECT_FALSE(FolderLock::tryAcquire(folder.path()));
    FolderLock moved = std::move(*first);
    first.reset();
    EXPECT_FALSE(FolderLock::tryAcquire(folder.path())) << "a moved lock is still held";
    { FolderLock released = std::move(moved); }
    EXPECT_TRUE(FolderLock::tryAcquire(folder.path()));
    EXPECT_FALSE(FolderLock::tryAcquire(folder.path() / "missing"));
}
