#include "platform/ChildProcess.h"
#include "platform/FileError.h"
#include "setup/monitor/SD4ShortcutResolver.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <future>
#include <map>
#include <unistd.h>

using namespace quillstone;
using nlohmann::json;
using namespace quillstone::testing;

namespace {

const std::string answer = R"({"version": 1, "job_name": "Nightly", "run_id": "@RUN_ID@", "outcome": "Succeeded",
    "summary": "Copied 12 items.", "source": "Macintosh HD", "destination": "Backup"})";

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
        return SD4RunEvent{1, "JOB-1", runID, SD4RunOutcome::succeeded, false, 1};
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
    // The answer's field rules are the response test's concern.
    SD4ResolvedRun run = resolver().resolve(event());
    EXPECT_EQ(run.jobName, "Nightly");
    EXPECT_EQ(run.runID, "RUN-1");

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

    // A flood on the error stream does not stall the run; extra files in the work folder go too.
    for (const char* behaviour : {"flood", "litter"}) {
        behave(behaviour);
        EXPECT_EQ(resolver().resolve(event()).jobName, "Nightly") << behaviour;
    }
    expectNoWorkFolderLeft();
}

TEST_F(SD4ShortcutResolverTest, AFailingShortcutOrLaunchReportsItsErrorAndCleansUp) {
    for (const auto& [behaviour, message] :
         std::map<std::string, std::string>{{"fail", "The shortcut could not be run: permission denied."},
                                            {"crash", "Unknown Shortcut error"}}) {
        behave(behaviour);
        EXPECT_EQ(failure<SD4ShortcutResolverError>(), "The Quillstone Shortcut failed: " + message)
            << behaviour;
    }
    std::filesystem::remove(helpers / "launchctl");
    failure<ProcessLaunchError>();
}

TEST_F(SD4ShortcutResolverTest, AMissingOrBadAnswerRaisesTheUnderlyingError) {
    behave("no-answer");
    EXPECT_NE(failure<FileError>().find("output.json"), std::string::npos);
    behave("answer");
    const std::string failed = R"({"version": 1, "job_name": "N", "run_id": "@RUN_ID@", "outcome": "failed",
        "summary": "", "source": "", "destination": "")";
    writeText(helpers / "answer.json", failed + R"(, "bytes_copied": 1234})");
    EXPECT_NE(failure<SD4ShortcutResponse::DecodingError>().find("bytes_copied"), std::string::npos);
    writeText(helpers / "answer.json", failed + "}");
    EXPECT_EQ(failure<SD4ShortcutResolverError>(), "The Quillstone Shortcut returned an invalid result.");
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
