#include "setup/monitor/SD4StatusWriter.h"
#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/FileError.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

using namespace quillstone;
using nlohmann::json;
using namespace quillstone::testing;

namespace {

class FakeVolumes : public Volumes {
public:
    struct Mounted {
        std::string name;
        std::filesystem::path url;
        std::optional<int64_t> capacity;
    };
    std::vector<Mounted> mounted;

    std::vector<Volume> mountedVolumes() const override {
        std::vector<Volume> volumes;
        for (const auto& volume : mounted) {
            volumes.push_back({volume.url, volume.name.empty() ? std::nullopt : std::optional(volume.name)});
        }
        return volumes;
    }
    std::optional<int64_t> availableCapacity(const std::filesystem::path& url) const override {
        auto found = std::find_if(mounted.begin(), mounted.end(),
                                  [&](const Mounted& volume) { return volume.url == url; });
        return found == mounted.end() ? std::nullopt : found->capacity;
    }
};

SD4RunEvent runEvent(const std::string& job, SD4RunOutcome outcome = SD4RunOutcome::succeeded) {
    return SD4RunEvent{1, job, "RUN-" + job, outcome, false, 1717171717000000000};
}

// The Shortcut's own run identifier is never written: the event's is.
SD4ResolvedRun resolvedRun(const std::string& name) {
    SD4ResolvedRun run;
    run.jobName = name;
    run.runID = "ignored";
    run.summary = "Copied.";
    run.source = "Macintosh HD";
    run.destination = "Backup";
    return run;
}

std::vector<std::string> namesIn(const std::filesystem::path& file) {
    std::vector<std::string> names;
    json root = json::parse(readText(file));
    auto text = [](const json& entry, const char* key) {
        return entry.contains(key) && entry[key].is_string() ? entry[key].get<std::string>() : "<none>";
    };
    for (const auto& entry : root["backups"]) {
        names.push_back(text(entry, "name") + "/" + text(entry, "id"));
    }
    return names;
}

class SD4StatusWriterTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    FakeVolumes volumes;
    ManualClock clock{TimePoint(std::chrono::seconds(1'800'000'000))};
    SD4StatusWriter writer{files, volumes, LocalizedCollator("en_US.UTF-8"), clock};
    std::filesystem::path statusFile = home / "Dropbox/Quillstone/backup_status.json";
};

} // namespace

TEST_F(SD4StatusWriterTest, FirstRunCreatesFolderAndWritesTheExactDocument) {
    volumes.mounted = {{"Macintosh HD", "/", 500LL << 30}, {"Backup", "/Volumes/Backup", 2000000000000LL}};
    SD4ResolvedRun run = resolvedRun("Nightly");
    run.bytesCopied = 1234;
    run.itemsCopied = 12;
    run.itemsUpdated = 3;
    run.itemsDeleted = 0;
    run.deferredCount = 2;
    run.startedAtDisplay = "17:00";
    run.endedAtDisplay = "18:08";
    run.bootableDisplay = "Yes";
    SD4RunEvent event = runEvent("JOB-1");
    event.isCatchup = true;
    writer.write(event, run, statusFile);
    const json expected = json::parse(R"({"backups": [{"bootableDisplay": "Yes", "bytesCopied": 1234,
        "completedAt": "2024-05-31T16:08:37Z", "copyScript": "SuperDuper! 4", "deferredCount": 2,
        "destination": "Backup", "destinationPath": "/Volumes/Backup", "endedAtDisplay": "18:08",
        "freeSpace": "1.8Ti", "id": "JOB-1", "isCatchup": true, "itemsCopied": 12, "itemsDeleted": 0,
        "itemsUpdated": 3, "name": "Nightly", "outcome": "succeeded", "runID": "RUN-JOB-1",
        "source": "Macintosh HD", "sourcePath": "/", "startedAtDisplay": "17:00", "status": "SUCCESS",
        "succeeded": true, "summary": "Copied."}]})");
    EXPECT_EQ(readText(statusFile), prettyJson(expected));
}

TEST_F(SD4StatusWriterTest, EveryOutcomeButSuccessIsWrittenAsAFailure) {
    for (SD4RunOutcome outcome : allSD4RunOutcomes) {
        writer.write(runEvent("JOB-1", outcome), resolvedRun("Nightly"), statusFile);
        const json entry = json::parse(readText(statusFile))["backups"][0];
        const bool succeeded = outcome == SD4RunOutcome::succeeded;
        EXPECT_EQ(entry["status"], succeeded ? "SUCCESS" : "FAILED") << rawValue(outcome);
        EXPECT_EQ(entry["succeeded"], succeeded);
        EXPECT_EQ(entry["outcome"], rawValue(outcome));
    }
}

TEST_F(SD4StatusWriterTest, ReplacesTheJobsEntryKeepsOthersAndSortsByNameStably) {
    // Equal names keep their order and the new entry comes last among them; no name sorts first.
    writeText(statusFile, R"({"backups": [
        {"id": "JOB-2", "name": "beta", "status": "SUCCESS"},
        {"id": "JOB-1", "name": "Old name", "status": "FAILED"},
        {"id": "A1", "name": "Alpha"}, {"name": "alpha"}, {"id": "N", "name": 5}, {"id": "M"},
        {"id": 7, "name": "Zed", "status": "SUCCESS"}
    ], "owner": {"device": "MacBook"}})");
    ::chmod(statusFile.c_str(), 0600);
    const std::vector<std::string> sorted{"<none>/N",    "<none>/M",   "Alpha/A1",  "alpha/<none>",
                                          "ALPHA/JOB-1", "beta/JOB-2", "Zed/<none>"};
    writer.write(runEvent("JOB-1"), resolvedRun("ALPHA"), statusFile);
    EXPECT_EQ(namesIn(statusFile), sorted);
    json root = json::parse(readText(statusFile));
    EXPECT_EQ(root["owner"], (json{{"device", "MacBook"}}));
    EXPECT_EQ(root["backups"][6]["id"], 7);
    // Unknown values and a failure: SD4MonitorProcessTest. The phone app must still read a replaced file.
    EXPECT_EQ(std::filesystem::status(statusFile).permissions(), std::filesystem::perms(0644));

    writer.write(runEvent("JOB-2"), resolvedRun("beta"), statusFile);
    EXPECT_EQ(namesIn(statusFile), sorted);
    EXPECT_EQ(json::parse(readText(statusFile))["backups"][5]["summary"], "Copied.");
}

TEST_F(SD4StatusWriterTest, LegacyBrokenAndForeignContentIsReplacedByTheReadingRules) {
    writeText(statusFile, R"({"id": "JOB-9", "name": "Legacy", "status": "SUCCESS", "completedAt": "x"})");
    writer.write(runEvent("JOB-1"), resolvedRun("Nightly"), statusFile);
    EXPECT_EQ(namesIn(statusFile), (std::vector<std::string>{"Legacy/JOB-9", "Nightly/JOB-1"}));

    writeText(statusFile, R"({"id": "JOB-1", "name": "Legacy", "status": "SUCCESS"})");
    writer.write(runEvent("JOB-1"), resolvedRun("Nightly"), statusFile);
    EXPECT_EQ(namesIn(statusFile), (std::vector<std::string>{"Nightly/JOB-1"}));

    writeText(statusFile, R"({"backups": ["not an entry", {"id": "JOB-3", "name": "Kept?"}], "note": 1})");
    writer.write(runEvent("JOB-1"), resolvedRun("Nightly"), statusFile);
    EXPECT_EQ(namesIn(statusFile), (std::vector<std::string>{"Nightly/JOB-1"}));
    EXPECT_EQ(json::parse(readText(statusFile))["note"], 1);

    EXPECT_FALSE(std::filesystem::exists(QuillstoneStatusDocument::asidePath(statusFile, 1'800'000'000)))
        << "a usable file is never kept aside";
}

TEST_F(SD4StatusWriterTest, AnUnusableFileIsKeptAsideOnceAndAFailedWriteLeavesTheOldFile) {
    const std::string deep = R"({"backups": [], "x": )" + std::string(513, '[') + std::string(513, ']') + "}";
    const std::string large = R"({"backups": [], "x": ")" + std::string(BoundedJson::maximumBytes, 'x') + "\"}";
    for (const std::string& broken :
         {std::string("not json"), std::string("[1, 2]"), std::string("\"text\""), std::string(), deep, large}) {
        SCOPED_TRACE(broken.substr(0, 30));
        clock.advance(std::chrono::seconds(1));
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(clock.now().time_since_epoch()).count();
        writeText(statusFile, broken);
        writer.write(runEvent("JOB-1"), resolvedRun("Nightly"), statusFile);
        EXPECT_EQ(namesIn(statusFile), (std::vector<std::string>{"Nightly/JOB-1"}));
        EXPECT_LT(readText(statusFile).size(), 1000u);
        EXPECT_TRUE(readText(QuillstoneStatusDocument::asidePath(statusFile, seconds)) == broken);
        writer.write(runEvent("JOB-2"), resolvedRun("Weekly"), statusFile);
        EXPECT_EQ(namesIn(statusFile), (std::vector<std::string>{"Nightly/JOB-1", "Weekly/JOB-2"}));
    }
    // The name is taken already: nothing is replaced, the write fails and the run can be retried.
    writeText(statusFile, "garbage");
    EXPECT_THROW(writer.write(runEvent("JOB-1"), resolvedRun("Nightly"), statusFile), FileError);
    EXPECT_EQ(readText(statusFile), "garbage");
    EXPECT_TRUE(readText(QuillstoneStatusDocument::asidePath(statusFile, 1'800'000'006)) == large);

    std::filesystem::remove_all(home / "Dropbox/Quillstone");
    writeText(home / "Dropbox/Quillstone", "a file where the folder should be");
    EXPECT_THROW(writer.write(runEvent("JOB-1"), resolvedRun("Nightly"), statusFile), FileError);
    EXPECT_EQ(readText(home / "Dropbox/Quillstone"), "a file where the folder should be");
}

TEST_F(SD4StatusWriterTest, OnlyAUniqueExactVolumeNameCounts) {
    volumes.mounted = {{"Backup", "/media/a", 10}, {"backup", "/media/b", 20}, {"", "/media/unreadable", 30},
                       {"Twin", "/media/t1", 1}, {"Twin", "/media/t2", 2}, {"Root", "/", std::nullopt}};
    EXPECT_EQ(writer.mountedVolume("Backup"), (SD4StatusWriter::MountedVolume{"/media/a", 10}));
    EXPECT_EQ(writer.mountedVolume("Twin"), std::nullopt);
    EXPECT_EQ(writer.mountedVolume(""), std::nullopt);
    EXPECT_EQ(writer.mountedVolume("Root"), (SD4StatusWriter::MountedVolume{"/", std::nullopt}));
}

TEST(SD4StatusWriterFormats, FreeSpaceUnitBoundaries) {
    auto text = [](std::optional<int64_t> bytes) { return SD4StatusWriter::freeSpaceText({"/", bytes}); };
    EXPECT_EQ(text(std::nullopt), "");
    EXPECT_EQ(text(-1), "");
    EXPECT_EQ(text(0), "0Mi");
    EXPECT_EQ(text((1LL << 30) - 1), "1024Mi");
    EXPECT_EQ(text(1LL << 30), "1Gi");
    EXPECT_EQ(text((1LL << 40) - 1), "1024Gi");
    EXPECT_EQ(text(1LL << 40), "1.0Ti");
    EXPECT_EQ(text(INT64_MAX), "8388608.0Ti");
}

TEST(SD4StatusWriterFormats, CompletedAtIsWholeUtcSecondsForEveryValue) {
    EXPECT_EQ(SD4StatusWriter::completedAtText(1717171717999999999), "2024-05-31T16:08:37Z");
    EXPECT_EQ(SD4StatusWriter::completedAtText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(SD4StatusWriter::completedAtText(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(SD4StatusWriter::completedAtText(INT64_MAX), "2262-04-11T23:47:16Z");
    EXPECT_EQ(SD4StatusWriter::completedAtText(INT64_MIN), "1677-09-21T00:12:43Z");
}
