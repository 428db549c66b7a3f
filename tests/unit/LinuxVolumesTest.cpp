#include "platform/LinuxVolumes.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

TEST(LinuxVolumes, DecodesEscapesLeavingIncompleteOnesAsTheyAre) {
    EXPECT_EQ(LinuxVolumes::decodeOctalEscapes("a\\134b\\011c\\0"), "a\\b\tc\\0");
    EXPECT_EQ(LinuxVolumes::decodeHexEscapes("My\\x20Disk\\x2"), "My Disk\\x2");
}

// Lines with optional fields count; malformed lines are skipped.
TEST(LinuxVolumes, NamesVolumesByLabelElseByLastComponent) {
    TemporaryFolder root;
    writeText(root / "dev/sdb1", "");
    writeText(root / "dev/sda1", "");
    std::filesystem::create_directories(root / "by-label");
    std::filesystem::create_symlink("../dev/sdb1", root / "by-label/Time\\x20Machine");
    std::filesystem::create_symlink("../dev/sda1", root / "by-label/System");
    std::string dev = (root / "dev").string();
    writeText(root / "mountinfo", "20 1 8:1 / / rw - ext4 " + dev + "/sda1 rw\n"
                                  "21 20 0:5 / /proc rw - proc proc rw\n"
                                  "garbage\n"
                                  "24 20 0:21 / /no-separator rw,relatime\n"
                                  "25 20 0:21 / /no-source rw - proc\n"
                                  "22 20 8:17 / /media/backup rw master:1 shared:2 - ext4 " + dev + "/sdb1 rw\n"
                                  "23 20 0:30 / /mnt/Data\\040Disk rw - tmpfs tmpfs rw\n");
    LinuxVolumes volumes(root / "mountinfo", root / "by-label");
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& volume : volumes.mountedVolumes()) {
        found.emplace_back(volume.url, volume.name.value_or("(none)"));
    }
    const std::vector<std::pair<std::string, std::string>> expected{
        {"/", "System"}, {"/proc", "proc"}, {"/media/backup", "Time Machine"}, {"/mnt/Data Disk", "Data Disk"}};
    EXPECT_EQ(found, expected);

    writeText(root / "mountinfo", "20 1 0:1 / / rw - overlay overlay rw\n");
    EXPECT_EQ(volumes.mountedVolumes().at(0).name, "/");
    EXPECT_TRUE(LinuxVolumes(root / "missing", root / "missing").mountedVolumes().empty());
}

TEST(LinuxVolumes, ReportsTheCapacityAvailableToTheUser) {
    TemporaryFolder folder;
    LinuxVolumes volumes;
    auto capacity = volumes.availableCapacity(folder.path());
    ASSERT_TRUE(capacity);
    EXPECT_GE(*capacity, 0);
    EXPECT_EQ(volumes.availableCapacity(folder / "does-not-exist"), std::nullopt);
    bool rootListed = false;
    for (const auto& volume : volumes.mountedVolumes()) {
        rootListed = rootListed || volume.url == "/";
    }
    EXPECT_TRUE(rootListed);
}
