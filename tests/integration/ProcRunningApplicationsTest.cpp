#include "platform/ChildProcess.h"
#include "platform/ProcRunningApplications.h"
#include "support/FakeBundles.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace quillstone;
using namespace std::chrono_literals;
using namespace quillstone::testing;

TEST(ProcRunningApplicationsTest, FindsAndEndsTheProcessesOfABundle) {
    TemporaryFolder folder;
    // A throwaway bundle whose executable is a copy of sleep(1).
    auto bundle = folder / "Probe.app";
    writeText(bundle / "Contents/Info.plist", bundleInfoPlist("org.example.Probe", "probe", "1", "1"));
    std::filesystem::create_directories(bundle / "Contents/MacOS");
    std::filesystem::copy_file("/bin/sleep", bundle / "Contents/MacOS/probe");
    ChildProcess first(bundle / "Contents/MacOS/probe", {"30"});
    ChildProcess second(bundle / "Contents/MacOS/probe", {"30"});
    first.launch();
    second.launch();
    ChildProcess stranger("/bin/sleep", {"30"});
    stranger.launch();

    ProcRunningApplications applications;
    std::vector<pid_t> activated;
    auto found = applications.withBundleIdentifier("org.example.Probe");
    ASSERT_EQ(found.size(), 2u);
    for (const auto& application : found) {
        EXPECT_TRUE(application.processIdentifier == first.processIdentifier() ||
                    application.processIdentifier == second.processIdentifier());
        EXPECT_EQ(application.bundlePath, bundle);
        EXPECT_EQ(application.bundleIdentifier, "org.example.Probe");
        EXPECT_FALSE(applications.activate(application)) << "nothing to bring it forward";
    }
    applications.setActivator([&](const RunningApplication& application) {
        activated.push_back(application.processIdentifier);
        return true;
    });
    EXPECT_TRUE(applications.activate(found.front()));
    EXPECT_EQ(activated, std::vector<pid_t>{found.front().processIdentifier});
    EXPECT_TRUE(applications.withBundleIdentifier("org.example.Other").empty());
    EXPECT_TRUE(applications.withBundleIdentifier("org.example.probe").empty()) << "identifiers are exact";
    EXPECT_TRUE(ProcRunningApplications(::getuid() + 1).withBundleIdentifier("org.example.Probe").empty())
        << "another user's processes are not ours";

    EXPECT_TRUE(applications.terminate({first.processIdentifier(), "org.example.Probe", bundle}));
    first.waitUntilExit();
    EXPECT_EQ(first.terminationStatus(), SIGTERM);
    EXPECT_TRUE(applications.forceTerminate({second.processIdentifier(), "org.example.Probe", bundle}));
    second.waitUntilExit();
    EXPECT_EQ(second.terminationStatus(), SIGKILL);
    EXPECT_TRUE(applications.withBundleIdentifier("org.example.Probe").empty()) << "ended processes are gone";

    EXPECT_FALSE(applications.terminate({0, "org.example.Probe", bundle})) << "never signal a process group";
    EXPECT_FALSE(applications.forceTerminate({-1, "org.example.Probe", bundle}));
    stranger.kill();
    stranger.waitUntilExit();
}
