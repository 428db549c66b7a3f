#include "platform/ChildProcess.h"
#include "platform/FileError.h"
#include "setup/monitor/SD4ShortcutResolver.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <future>
#include <unistd.h>

using namespace quillstone;
using nlohmann::json;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {

const std::string answer = R"({"version": 1, "job_name": "Nightly", "run_id": "@RUN_ID@", "outcome": "Succeeded",
    "summary": "Copied 12 items.", "source": "Macintosh HD", "destination": "Backup",
    "bytes_copied": "1,234 bytes", "items_copied": null, "started_at": " 17:00 "})";

class SD4ShortcutResolverTest : public ::testing::Test {
protected:
    SD4ShortcutResolverTest() {
        std::filesystem::create_directories(helpers);
        std::filesystem::copy_file(std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures/shortcut-launchctl",
                                   helpers / "launchctl");
        writeText(helpers / "answer.json", answer);
        files.createDirectories(files.userDomain().temporaryDirectory);
    }

    void behave(const std::string& behaviour) { writeText(helpers / "behaviour", behaviour); }

    SD4RunEvent event(const std::string& runID = "RUN-1") const {
        SD4RunEvent event;
        event.copyJobID = "JOB-1";
        event.runID = runID;
        event.outcome = SD4RunOutcome::succeeded;
        return event;
    }

    SD4ShortcutResolver resolver() {
        SystemTools tools = SystemTools::macOS();
        tools.launchctl = helpers / "launchctl";
        return SD4ShortcutResolver(files, tools);
    }

    // The resolver's description of a failure, checking that nothing was left behind.
    template <typename Error> std::string failure() {
        try {
            resolver().resolve(event());
        } catch (const Error& error) {
            expectNoWorkFolderLeft();
            return error.what();
        }
        ADD_FAILURE() << "no error of the expected type";
        return {};
    }

    void expectNoWorkFolderLeft() const {
        for (const auto& entry : std::filesystem::directory_iterator(files.userDomain().temporaryDirectory)) {
            EXPECT_EQ(entry.path().filename().string().rfind("Quillstone-SD4-", 0), std::string::npos)
                << entry.path();
        }
    }

    TemporaryFolder home;
    std::filesystem::path helpers = home / "Helpers";
    PosixFileManager files{UserDomain::rootedAt(home.path())};
};

} // namespace

TEST_F(SD4ShortcutResolverTest, RunsTheShortcutThroughLaunchctlAsTheUserAndReadsItsAnswer) {
    SD4ResolvedRun run = resolver().resolve(event());
    EXPECT_EQ(run.jobName, "Nightly");
    EXPECT_EQ(run.runID, "RUN-1");
    EXPECT_EQ(run.bytesCopied, 1234);
    EXPECT_EQ(run.itemsCopied, std::nullopt);
    EXPECT_EQ(run.startedAtDisplay, "17:00");

    std::string argv = readText(helpers / "argv.log");
    std::string folder = (files.userDomain().temporaryDirectory / "Quillstone-SD4-").string();
    ASSERT_EQ(argv.find("asuser\n" + std::to_string(::getuid()) +
                        "\n/usr/bin/shortcuts\nrun\nQuillstone SuperDuper Details\n--input-path\n" + folder),
              0u)
        << argv;
    size_t uuidEnd = argv.find("/input.json\n");
    ASSERT_NE(uuidEnd, std::string::npos);
    std::string workFolder = argv.substr(argv.find(folder), uuidEnd - argv.find(folder));
    EXPECT_EQ(workFolder.size(), folder.size() + 36);
    EXPECT_EQ(argv.substr(uuidEnd), "/input.json\n--output-path\n" + workFolder +
                                        "/output.json\n--output-type\npublic.json\n");
    EXPECT_EQ(readText(helpers / "request.json"), R"({"copy_job_id":"JOB-1","run_id":"RUN-1","version":1})");
    expectNoWorkFolderLeft();
}

TEST_F(SD4ShortcutResolverTest, AFailingShortcutReportsItsTrimmedMessageOrAnUnknownError) {
    behave("fail");
    EXPECT_EQ(failure<SD4ShortcutResolverError>(),
              "The Quillstone Shortcut failed: The shortcut could not be run: permission denied.");
    behave("silent-fail");
    EXPECT_EQ(failure<SD4ShortcutResolverError>(), "The Quillstone Shortcut failed: Unknown Shortcut error");
    behave("binary-fail");
    EXPECT_EQ(failure<SD4ShortcutResolverError>(), "The Quillstone Shortcut failed: Unknown Shortcut error");
    behave("crash");
    EXPECT_EQ(failure<SD4ShortcutResolverError>(), "The Quillstone Shortcut failed: Unknown Shortcut error");
}

TEST_F(SD4ShortcutResolverTest, AMissingOrBadAnswerRaisesTheUnderlyingError) {
    behave("no-answer");
    EXPECT_NE(failure<FileError>().find("output.json"), std::string::npos);
    behave("answer");
    writeText(helpers / "answer.json", R"({"version": 1, "job_name": "N", "run_id": "@RUN_ID@", "outcome": "failed",
        "summary": "", "source": "", "destination": "", "bytes_copied": 1234})");
    EXPECT_NE(failure<SD4ShortcutResponse::DecodingError>().find("bytes_copied"), std::string::npos);
    writeText(helpers / "answer.json", R"({"version": 1, "job_name": "N", "run_id": "@RUN_ID@", "outcome": "failed",
        "summary": "", "source": "", "destination": ""})");
    EXPECT_EQ(failure<SD4ShortcutResolverError>(), "The Quillstone Shortcut returned an invalid result.");
}

TEST_F(SD4ShortcutResolverTest, ALaunchFailureRaisesTheLaunchErrorAndCleansUp) {
    std::filesystem::remove(helpers / "launchctl");
    failure<ProcessLaunchError>();
}

TEST_F(SD4ShortcutResolverTest, ALongErrorOutputDoesNotStallAndExtraFilesAreRemovedToo) {
    behave("flood");
    EXPECT_EQ(resolver().resolve(event()).jobName, "Nightly");
    behave("litter");
    EXPECT_EQ(resolver().resolve(event()).jobName, "Nightly");
    expectNoWorkFolderLeft();
}

TEST_F(SD4ShortcutResolverTest, ConcurrentResolvesUseTheirOwnWorkFolders) {
    SD4ShortcutResolver shared = resolver();
    std::vector<std::future<SD4ResolvedRun>> runs;
    for (int index = 0; index < 6; ++index) {
        runs.push_back(std::async(std::launch::async, [&, index] { return shared.resolve(event("RUN-" + std::to_string(index))); }));
    }
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(runs[static_cast<size_t>(index)].get().runID, "RUN-" + std::to_string(index));
    }
    expectNoWorkFolderLeft();
}
