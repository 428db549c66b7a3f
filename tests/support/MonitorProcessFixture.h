#pragma once

// The real monitor process, started from a throwaway bundle whose launchctl is a
// recording fake (tests/fixtures/monitor-launchctl), on a private session bus,
// driven by signals sent with gdbus.
#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/monitor/SD4PendingRunStore.h"
#include "support/PrivateSessionBus.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"
#include "support/FileListings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillstone::testing {

namespace fs = std::filesystem;

inline const fs::path builtBundle = QUILLSTONE_APP_DIR;
inline const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

struct Payload {
    std::string jobID = "JOB-1";
    std::string runID = "RUN-1";
    std::string outcome = "succeeded";
    bool catchup = false;
    int64_t endedAtNanos = 1717171717000000000;

    // GVariant text of the a{sv} user info.
    std::string text() const {
        return "{'version': <1>, 'copy_job_id': <'" + jobID + "'>, 'run_id': <'" + runID + "'>, 'outcome': <'" +
               outcome + "'>, 'is_catchup': <" + (catchup ? "true" : "false") +
               ">, 'ended_at_unix_nanos': <int64 " + std::to_string(endedAtNanos) + ">}";
    }
};

class MonitorProcessFixture : public ::testing::Test {
protected:
    TemporaryFolder home;
    PrivateSessionBus bus;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    fs::path bundle = home.path() / "Applications/Quillstone.app";
    fs::path helpers = bundle / "Contents/Helpers";
    fs::path support = home.path() / ".local/share/Quillstone";
    fs::path statusFolder = home.path() / "Dropbox/Quillstone";
    std::unique_ptr<ChildProcess> monitor;

    MonitorProcessFixture() {
        fs::create_directories(bundle / "Contents/MacOS");
        fs::create_directories(helpers);
        fs::create_directories(home.path() / "tmp");
        fs::copy_file(builtBundle / "Contents/Info.plist", bundle / "Contents/Info.plist");
        fs::copy_file(builtBundle / "Contents/MacOS/quillstone-setup", bundle / "Contents/MacOS/quillstone-setup");
        fs::copy_file(fixtures / "monitor-launchctl", helpers / "launchctl");
        configure("sd4");
    }

    ~MonitorProcessFixture() override { stopMonitor(SIGKILL); }

    void configure(const std::string& integration) {
        QuillstoneConfigurationStore store(files);
        store.save(QuillstoneConfiguration{1, *integrationFromRawValue(integration), statusFolder.string()});
    }

    void startMonitor() {
        monitor = std::make_unique<ChildProcess>(
            "/usr/bin/env",
            std::vector<std::string>{"HOME=" + home.path().string(),
                                     "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                     "TMPDIR=" + (home.path() / "tmp").string(), "LANG=C.UTF-8",
                                     (bundle / "Contents/MacOS/quillstone-setup").string(), "--quillstone-sd4-monitor"});
        monitor->setStandardInput(ChildProcess::Stream::null);
        monitor->launch();
    }

    void startListeningMonitor() {
        startMonitor();
        ASSERT_TRUE(logged("distributed notification observer registered", ++starts));
    }

    void stopMonitor(int signal) {
        if (monitor && monitor->isRunning()) {
            ::kill(monitor->processIdentifier(), signal);
            monitor->waitUntilExit();
        }
    }

    void emit(const std::string& arguments) {
        std::vector<std::string> command{"emit", "--session", "--object-path", "/", "--signal",
                                         "com.shirtpocket.SuperDuper.runFinished"};
        if (!arguments.empty()) {
            command.push_back(arguments);
        }
        ChildProcess gdbus("/usr/bin/gdbus", command);
        gdbus.launch();
        gdbus.waitUntilExit();
        EXPECT_EQ(gdbus.terminationStatus(), 0);
    }

    std::string log() const { return readText(support / "sd4-monitor.log"); }

    // The log's messages without their time stamps, which must all be well formed.
    std::vector<std::string> messages() const {
        static const std::regex line(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ \| (.*)$)");
        std::vector<std::string> result;
        for (const std::string& text : linesOf(support / "sd4-monitor.log")) {
            std::smatch match;
            EXPECT_TRUE(std::regex_match(text, match, line)) << text;
            result.push_back(match.size() > 1 ? match[1].str() : text);
        }
        return result;
    }

    std::vector<std::string> messagesStartingWith(const std::string& start) const {
        std::vector<std::string> found = messages();
        std::erase_if(found, [&](const std::string& message) { return !message.starts_with(start); });
        return found;
    }

    int countLines(const std::string& message) const { return occurrences(log(), message); }

    // A plain search: under load the log grows to thousands of lines.
    static int occurrences(const std::string& text, const std::string& message) {
        const std::string needle = "| " + message + "\n";
        int count = 0;
        for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
            ++count;
        }
        return count;
    }

    // Waits until the message was logged `times` times; a failure shows the log.
    ::testing::AssertionResult logged(const std::string& message, int times = 1) const {
        if (waitFor([&] { return countLines(message) == times; })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "not logged " << times << "x: " << message << "\n" << log();
    }

    std::vector<std::string> pendingRunIDs() {
        std::vector<std::string> ids;
        for (const auto& event : SD4PendingRunStore(files).pendingEvents()) {
            ids.push_back(event.runID);
        }
        return ids;
    }

    std::vector<std::string> shortcutCalls() const { return linesOf(helpers / "calls.log"); }

    // The monitor's peak resident memory in KiB (VmHWM), 0 when it is not running.
    long peakResidentKiB() const {
        std::ifstream status("/proc/" + std::to_string(monitor->processIdentifier()) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmHWM:", 0) == 0) {
                return std::stol(line.substr(6));
            }
        }
        return 0;
    }

    std::string statusDocument() const { return readText(statusFolder / "backup_status.json"); }

    int starts = 0;
};

} // namespace quillstone::testing
