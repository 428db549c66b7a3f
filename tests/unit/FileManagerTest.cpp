#include "platform/FileError.h"
#include "platform/FileManager.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quillstone;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {
mode_t permissionsOf(const std::filesystem::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 07777;
}

size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}
} // namespace

TEST(FileManager, ReplaceWritesBytesWithExplicitPermissionsAndFailuresCarryTheOsMessage) {
    TemporaryFolder folder;
    PosixFileManager files(UserDomain::rootedAt(folder.path()));
    auto target = folder / "file.json";
    writeText(target, "old");
    ::umask(077);
    files.replaceAtomically(target, "new", 0644);
    ::umask(022);
    EXPECT_EQ(readText(target), "new");
    EXPECT_EQ(permissionsOf(target), 0644u);
    EXPECT_EQ(entriesIn(folder.path()), 1u);

    try {
        files.replaceAtomically(folder / "missing-folder" / "file", "x", 0644);
        FAIL() << "expected a FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.errorNumber(), ENOENT);
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos);
    }
    EXPECT_THROW(files.readFile(folder / "absent"), FileError);
    EXPECT_NO_THROW(files.removeFile(folder / "absent"));
    EXPECT_THROW(files.appendToExisting(folder / "absent", "x"), FileError);
}

TEST(FileManager, CreateIfMissingNeverOverwrites) {
    TemporaryFolder folder;
    PosixFileManager files(UserDomain::rootedAt(folder.path()));
    auto target = folder / "status.json";
    EXPECT_TRUE(files.createIfMissing(target, "first", 0644));
    EXPECT_FALSE(files.createIfMissing(target, "second", 0644));
    EXPECT_EQ(readText(target), "first");
    std::filesystem::create_directory(folder / "dir");
    EXPECT_FALSE(files.createIfMissing(folder / "dir", "x", 0644));
}

// The winner is decided by the kernel, so threads race as processes would; threads also share a pid.
TEST(FileManager, CreateIfMissingRacingWritersHaveExactlyOneWinnerAndLeaveNoTemporaries) {
    for (int round = 0; round < 20; ++round) {
        TemporaryFolder folder;
        PosixFileManager files(UserDomain::rootedAt(folder.path()));
        auto target = folder / "race";
        std::atomic<int> winners{0};
        std::vector<std::thread> threads;
        for (int writer = 0; writer < 8; ++writer) {
            threads.emplace_back([&, writer] {
                if (files.createIfMissing(target, "writer " + std::to_string(writer), 0644)) {
                    ++winners;
                }
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(winners.load(), 1);
        EXPECT_EQ(readText(target).rfind("writer ", 0), 0u);
        EXPECT_EQ(entriesIn(folder.path()), 1u);
    }
}

TEST(FileManager, WriterKilledDuringReplaceLeavesOldOrNewNeverAMix) {
    const std::string oldBytes(256 * 1024, 'o');
    const std::string newBytes(256 * 1024, 'n');
    for (int round = 0; round < 10; ++round) {
        TemporaryFolder folder;
        auto target = folder / "file";
        writeText(target, oldBytes);
        pid_t child = ::fork();
        if (child == 0) {
            PosixFileManager files(UserDomain::rootedAt(folder.path()));
            for (;;) {
                files.replaceAtomically(target, newBytes, 0644);
                files.replaceAtomically(target, oldBytes, 0644);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + round * 3));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        std::string contents = readText(target);
        EXPECT_TRUE(contents == oldBytes || contents == newBytes) << "size " << contents.size();
    }
}
