#include "setup/service/QuillstoneProcessRegistry.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <csignal>
#include <atomic>
#include <future>
#include <regex>
#include <thread>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::waitFor;
using Uptime = std::chrono::steady_clock;

namespace {

class ProcessRegistryTest : public ::testing::Test {
protected:
    TemporaryFolder temporary;
    QuillstoneProcessRegistry registry{temporary.path()};

    static ChildProcess shell(const std::string& script) { return ChildProcess("/bin/sh", {"-c", script}); }

    size_t foldersLeft() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(temporary.path()),
                                                 std::filesystem::directory_iterator()));
    }

    void expectNothingLeft() {
        EXPECT_EQ(foldersLeft(), 0u);
        EXPECT_EQ(registry.temporaryDirectoryCount(), 0u);
        EXPECT_EQ(registry.runningProcessCount(), 0u);
    }
};

double secondsSince(Uptime::time_point start) {
    return std::chrono::duration<double>(Uptime::now() - start).count();
}

} // namespace

TEST_F(ProcessRegistryTest, CapturesBothStreamsInAFreshFolderAndLeavesNothingBehind) {
    auto task = shell("printf 'out put'; printf 'err\\nors' >&2; exit 3");
    auto output = registry.runCapturingOutput(task);
    EXPECT_EQ(output.standardOutput, "out put");
    EXPECT_EQ(output.standardError, "err\nors");
    EXPECT_EQ(task.terminationStatus(), 3);
    expectNothingLeft();

    // Only errors, naming the folder the streams went through while the command ran.
    ChildProcess quiet("/bin/sh", {"-c", "ls -d \"$0\"/Quillstone-Process-* >&2", temporary.path().string()});
    output = registry.runCapturingOutput(quiet);
    EXPECT_EQ(output.standardOutput, "");
    const std::regex uuidFolder(".*/Quillstone-Process-[0-9A-F]{8}-([0-9A-F]{4}-){3}[0-9A-F]{12}\n");
    EXPECT_TRUE(std::regex_match(output.standardError, uuidFolder)) << output.standardError;
    expectNothingLeft();

    ChildProcess missing(temporary.path() / "no-such-tool", {});
    EXPECT_THROW(registry.runCapturingOutput(missing), ProcessLaunchError);
    expectNothingLeft();
}

TEST_F(ProcessRegistryTest, AChattyChildNeverStallsOnAFullBuffer) {
    auto task = shell("head -c 4000000 /dev/zero; head -c 3000000 /dev/zero >&2");
    auto start = Uptime::now();
    auto output = registry.runCapturingOutput(task, 20s);
    EXPECT_EQ(output.standardOutput.size(), 4000000u);
    EXPECT_EQ(output.standardError.size(), 3000000u);
    EXPECT_LT(secondsSince(start), 5.0);
    expectNothingLeft();
}

TEST_F(ProcessRegistryTest, TimeOutTerminatesTheChildAndKillsOneIgnoringThatAfterAGracePeriod) {
    auto task = shell("exec sleep 30");
    auto start = Uptime::now();
    try {
        registry.runCapturingOutput(task, 300ms);
        FAIL() << "a command past its time-out must fail";
    } catch (const QuillstoneProcessError& error) {
        EXPECT_EQ(error.code(), QuillstoneProcessError::Code::timedOut);
        EXPECT_STREQ(error.what(), "The Quillstone setup command timed out.");
    }
    double elapsed = secondsSince(start);
    EXPECT_GE(elapsed, 0.3);
    EXPECT_LT(elapsed, 0.75) << "a child that obeys the terminate signal needs no grace period";
    EXPECT_EQ(task.terminationReason(), ChildProcess::TerminationReason::uncaughtSignal);
    EXPECT_EQ(task.terminationStatus(), SIGTERM);
    expectNothingLeft();

    auto stubborn = shell("trap '' TERM; exec sleep 30");
    start = Uptime::now();
    EXPECT_THROW(registry.runCapturingOutput(stubborn, 200ms), QuillstoneProcessError);
    elapsed = secondsSince(start);
    EXPECT_GE(elapsed, 0.2 + 0.5);
    EXPECT_LT(elapsed, 0.2 + 0.5 + 0.5);
    EXPECT_EQ(stubborn.terminationReason(), ChildProcess::TerminationReason::uncaughtSignal);
    EXPECT_EQ(stubborn.terminationStatus(), SIGKILL);
    expectNothingLeft();
}

TEST_F(ProcessRegistryTest, ShutdownEndsRunningChildrenAndRefusesNewWork) {
    auto task = shell("trap '' TERM; echo ready; exec sleep 30");
    auto waiting = std::async(std::launch::async, [&] { return registry.runCapturingOutput(task); });
    // Wait until the child ignores the terminate signal.
    ASSERT_TRUE(waitFor([&] {
        auto folders = std::filesystem::directory_iterator(temporary.path());
        std::error_code ignored;
        return folders != std::filesystem::directory_iterator() &&
               std::filesystem::file_size(folders->path() / "stdout", ignored) > 0 && !ignored;
    }));
    ASSERT_EQ(foldersLeft(), 1u);
    ASSERT_EQ(registry.runningProcessCount(), 1u);

    auto start = Uptime::now();
    registry.terminateAll();
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_EQ(foldersLeft(), 0u) << "temporary folders go with the shutdown";
    EXPECT_THROW(waiting.get(), QuillstoneCancellationError);
    EXPECT_EQ(task.terminationStatus(), SIGKILL);
    expectNothingLeft();

    start = Uptime::now();
    registry.terminateAll();
    EXPECT_LT(secondsSince(start), 0.05) << "a second shutdown does nothing";

    auto late = shell("exit 0");
    EXPECT_THROW(registry.runCapturingOutput(late), QuillstoneCancellationError);
    EXPECT_FALSE(late.hasLaunched());
    EXPECT_THROW(registry.makeTemporaryDirectory(temporary / "refused"), QuillstoneCancellationError);
    expectNothingLeft();
}

TEST_F(ProcessRegistryTest, WaitingOnTheMainThreadKeepsItsEventsFlowingUntilQuitIsAsked) {
    int pumped = 0;
    std::atomic<bool> quitAsked{false};
    registry.setMainThreadEventPump(
        [&](std::chrono::milliseconds step) {
            EXPECT_EQ(step, 20ms);
            ++pumped;
            std::this_thread::sleep_for(step);
        },
        [&] { return quitAsked.load(); });
    auto task = shell("sleep 0.2");
    registry.runCapturingOutput(task);
    EXPECT_GE(pumped, 5);

    int before = pumped;
    std::thread([&] {
        auto other = shell("sleep 0.1");
        registry.runCapturingOutput(other);
    }).join();
    EXPECT_EQ(pumped, before) << "other threads sleep instead of pumping the main thread's events";

    // Asked to quit while a command hangs there: the wait ends its children at once.
    auto hanging = shell("trap '' TERM; exec sleep 30");
    std::thread asker([&] {
        std::this_thread::sleep_for(100ms);
        quitAsked = true;
    });
    const auto start = Uptime::now();
    EXPECT_THROW(registry.runCapturingOutput(hanging), QuillstoneCancellationError);
    asker.join();
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_EQ(hanging.terminationStatus(), SIGKILL);
    expectNothingLeft();
}

TEST(ProcessRegistrySharedTest, TheSharedInstanceCanBeReplaced) {
    QuillstoneProcessRegistry& original = QuillstoneProcessRegistry::shared();
    EXPECT_EQ(&original, &QuillstoneProcessRegistry::shared());
    QuillstoneProcessRegistry standIn{std::filesystem::temp_directory_path()};
    QuillstoneProcessRegistry::replaceShared(&standIn);
    EXPECT_EQ(&QuillstoneProcessRegistry::shared(), &standIn);
    QuillstoneProcessRegistry::replaceShared(nullptr);
    EXPECT_EQ(&QuillstoneProcessRegistry::shared(), &original);
}
