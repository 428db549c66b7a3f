#include "setup/monitor/SD4MonitorLog.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {

const TimePoint moment = TimePoint(std::chrono::seconds(1796487578)); // 2026-12-05T16:19:38Z

class SD4MonitorLogTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    ManualClock clock{moment};
};

} // namespace

TEST_F(SD4MonitorLogTest, FirstLineCreatesFolderAndFileThenLinesAppendInCallOrderEvenToAnEarlierFile) {
    clock.advance(std::chrono::milliseconds(700));
    SD4MonitorLog log(files, clock);
    EXPECT_EQ(log.fileURL(), home.path() / ".local/share/Quillstone/sd4-monitor.log");
    log.log("monitor runtime started");
    log.log("run queued: R1");
    clock.advance(std::chrono::seconds(1));
    log.log("Ünïcode ✓");
    EXPECT_EQ(readText(log.fileURL()), "2026-12-05T16:19:38Z | monitor runtime started\n"
                                       "2026-12-05T16:19:38Z | run queued: R1\n"
                                       "2026-12-05T16:19:39Z | Ünïcode ✓\n");

    // A log someone else started is appended to, never replaced.
    SD4MonitorLog other(files, clock, home.path() / "log.txt");
    writeText(other.fileURL(), "earlier line\n");
    other.log("next");
    EXPECT_EQ(readText(other.fileURL()), "earlier line\n2026-12-05T16:19:39Z | next\n");
}

TEST_F(SD4MonitorLogTest, AnUnwritableFolderCostsOnlyTheLine) {
    // A file where the support folder should be: the folder cannot be made, even as root.
    writeText(home.path() / ".local/share/Quillstone", "not a folder");
    SD4MonitorLog log(files, clock);
    EXPECT_NO_THROW(log.log("lost"));
    EXPECT_EQ(readText(home.path() / ".local/share/Quillstone"), "not a folder");
}
