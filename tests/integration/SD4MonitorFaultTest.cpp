// The real monitor against a status folder that turns read-only or fills up,
// and against Shortcuts that hang or flood their error output. Runs stay
// pending with the error in the log, the synced folder gets no stray or
// half-written file, and everything is written once the fault is gone.
#include "support/MonitorProcessFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace fs = std::filesystem;

namespace {

// The status folder on a small tmpfs of its own, in a mount namespace of this
// test process (and so of the monitor it starts), gone when the process ends.
class SD4MonitorFaultTest : public MonitorProcessFixture {
protected:
    void TearDown() override {
        if (mounted) {
            stopMonitor(SIGKILL);
            ::umount2(statusFolder.c_str(), MNT_DETACH);
        }
    }

    void mountStatusFolder(const std::string& size) {
        // Only mounting needs a namespace of its own; the other tests run anywhere.
        static const bool privateMounts = ::unshare(CLONE_NEWNS) == 0 &&
                                          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!privateMounts) {
            GTEST_SKIP() << "no mount namespace here: " << std::strerror(errno);
        }
        fs::create_directories(statusFolder);
        ASSERT_EQ(::mount("tmpfs", statusFolder.c_str(), "tmpfs", 0, ("size=" + size + ",mode=0755").c_str()), 0)
            << std::strerror(errno);
        mounted = true;
    }

    void remount(unsigned long flags) {
        ASSERT_EQ(::mount(nullptr, statusFolder.c_str(), nullptr, MS_REMOUNT | flags, nullptr), 0)
            << std::strerror(errno);
    }

    bool mounted = false;
};

} // namespace

TEST_F(SD4MonitorFaultTest, AReadOnlyOrFullStatusFolderKeepsRunsPendingAndLeavesNothingBehind) {
    mountStatusFolder("64k");
    if (IsSkipped()) {
        return;
    }
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(logged("status written for: RUN-1"));

    struct Fault {
        const char* name;
        std::function<void()> begin, end;
    };
    const fs::path filler = statusFolder / "filler";
    const std::vector<Fault> faults{
        {"read-only", [&] { remount(MS_RDONLY); }, [&] { remount(0); }},
        {"full",
         [&] {
             int descriptor = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
             std::string block(4096, 'f');
             while (::write(descriptor, block.data(), block.size()) > 0) {
             }
             ::close(descriptor);
         },
         [&] { fs::remove(filler); }},
    };
    int run = 1;
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        const std::string runID = "RUN-" + std::to_string(++run);
        const std::string written = statusDocument();
        fault.begin();
        const auto before = sortedNamesIn(statusFolder);
        emit(Payload{"JOB-1", runID, "succeeded", false, 1717171717000000000 + run * 1'000'000'000LL}.text());
        const std::string pending = "run remains pending: " + runID;
        ASSERT_TRUE(waitFor([&] { return !messagesStartingWith(pending).empty(); })) << log();
        std::cout << fault.name << ": " << messagesStartingWith(pending)[0] << std::endl;
        EXPECT_EQ(statusDocument(), written) << "the old document stays whole";
        EXPECT_EQ(sortedNamesIn(statusFolder), before) << "no temporary file is left in the synced folder";
        EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{runID});

        fault.end();
        stopMonitor(SIGTERM);
        startListeningMonitor();
        ASSERT_TRUE(logged("status written for: " + runID));
        EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"][0]["runID"], runID);
        EXPECT_EQ(sortedNamesIn(statusFolder), std::vector<std::string>{"backup_status.json"});
    }
}

TEST_F(SD4MonitorFaultTest, AHangingOrFloodingShortcutDoesNotHoldUpOtherJobsOrFillTheMemory) {
    writeText(helpers / "behaviour-RUN-H", "hold");
    writeText(helpers / "behaviour-RUN-F", "flood");
    startListeningMonitor();
    const long idleKiB = peakResidentKiB();
    emit(Payload{"JOB-H", "RUN-H"}.text());
    emit(Payload{"JOB-F", "RUN-F"}.text());
    emit(Payload{"JOB-2", "RUN-2"}.text());
    ASSERT_TRUE(logged("status written for: RUN-2"));
    ASSERT_TRUE(waitFor([&] { return !messagesStartingWith("run remains pending: RUN-F").empty(); }, 60s))
        << log();

    const std::string flooded = messagesStartingWith("run remains pending: RUN-F")[0];
    const long peakKiB = peakResidentKiB();
    std::cout << "peak resident memory " << idleKiB << " KiB idle, " << peakKiB
              << " KiB after a 50 MB error output; its log line has " << flooded.size() << " bytes" << std::endl;
    EXPECT_EQ(flooded.rfind("run remains pending: RUN-F, error=The Quillstone Shortcut failed: xxxx", 0), 0u);
    EXPECT_LT(flooded.size(), 17u * 1024);
    EXPECT_LT(peakKiB, idleKiB + 16 * 1024);
    EXPECT_EQ(countLines("status written for: RUN-H"), 0) << "still waiting for its Shortcut";
    auto document = nlohmann::json::parse(statusDocument());
    ASSERT_EQ(document["backups"].size(), 1u);
    EXPECT_EQ(document["backups"][0]["runID"], "RUN-2");
}
