#include "setup/monitor/SD4PendingRunStore.h"
#include "support/CountingFileManager.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

const TimePoint moment = TimePoint(std::chrono::seconds(1796487578));

SD4RunEvent event(const std::string& runID, const std::string& jobID = "J1",
                  SD4RunOutcome outcome = SD4RunOutcome::succeeded) {
    return SD4RunEvent{1, jobID, runID, outcome, false, 1796487578000000000};
}

class SD4PendingRunStoreTest : public ::testing::Test {
protected:
    SD4PendingRunStore makeStore() {
        return SD4PendingRunStore(files, std::nullopt, [this](const std::string& line) { lines.push_back(line); },
                                  clock);
    }
    std::filesystem::path file() const { return home.path() / ".local/share/Quillstone/sd4-pending-runs.json"; }

    TemporaryFolder home;
    CountingFileManager files{UserDomain::rootedAt(home.path())};
    ManualClock clock{moment};
    std::vector<std::string> lines;
};

} // namespace

TEST_F(SD4PendingRunStoreTest, AddWritesCompactFileOnceTheFirstRecordWinsAndRemoveRewrites) {
    auto store = makeStore();
    EXPECT_TRUE(store.pendingEvents().empty());
    store.add(event("R1"));
    store.add(event("R1"));
    store.add(event("R1", "J2", SD4RunOutcome::failed));
    EXPECT_EQ(files.replacements, 1);
    EXPECT_EQ(readText(file()), R"({"events":[{"copyJobID":"J1","endedAtUnixNanos":1796487578000000000,)"
                                R"("isCatchup":false,"outcome":"succeeded","runID":"R1"}],"schemaVersion":1})");
    store.add(event("R2", "J2", SD4RunOutcome::wrongDrive));
    EXPECT_EQ(makeStore().pendingEvents(),
              (std::vector<SD4RunEvent>{event("R1"), event("R2", "J2", SD4RunOutcome::wrongDrive)}));

    // Removing always rewrites; removing the file empties the store only when it deleted one.
    store.add(event("R3"));
    files.replacements = 0;
    store.remove("R9");
    EXPECT_EQ(files.replacements, 1);
    store.remove("R2");
    EXPECT_EQ(makeStore().pendingEvents(), (std::vector<SD4RunEvent>{event("R1"), event("R3")}));
    std::filesystem::remove(file());
    EXPECT_NO_THROW(store.removeFile());
    EXPECT_EQ(store.pendingEvents().size(), 2u);
    store.save();
    store.removeFile();
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_TRUE(store.pendingEvents().empty());
    EXPECT_TRUE(lines.empty());
}

TEST_F(SD4PendingRunStoreTest, EventsThatCannotBeRebuiltAreSkippedButKept) {
    writeText(file(), R"({"schemaVersion":1,"events":[)"
                      R"({"copyJobID":"J","runID":"bad-outcome","outcome":"Succeeded","isCatchup":false,"endedAtUnixNanos":5},)"
                      R"({"copyJobID":"J","runID":"no-end","outcome":"failed","isCatchup":true},)"
                      R"({"copyJobID":"J","runID":"null-end","outcome":"failed","isCatchup":true,"endedAtUnixNanos":null},)"
                      R"({"copyJobID":"J","runID":"zero-end","outcome":"failed","isCatchup":true,"endedAtUnixNanos":0},)"
                      R"({"copyJobID":"J","runID":"real-end","outcome":"failed","isCatchup":true,"endedAtUnixNanos":5.5},)"
                      R"({"copyJobID":"J","runID":"huge-end","outcome":"failed","isCatchup":true,"endedAtUnixNanos":9223372036854775808},)"
                      R"({"copyJobID":"J","runID":"good","outcome":"cancelled","isCatchup":true,"endedAtUnixNanos":9223372036854775807,"extra":1}]})");
    auto store = makeStore();
    EXPECT_EQ(store.pendingEvents(),
              (std::vector<SD4RunEvent>{{1, "J", "good", SD4RunOutcome::cancelled, true, INT64_MAX}}));
    store.add(event("R9"));
    auto reloaded = makeStore();
    ASSERT_EQ(reloaded.storage().events.size(), 8u);
    EXPECT_EQ(reloaded.storage().events[0].outcome, "Succeeded");
    EXPECT_EQ(reloaded.storage().events[0].endedAtUnixNanos, 5);
    EXPECT_EQ(reloaded.storage().events[6].runID, "good");
    EXPECT_EQ(reloaded.pendingEvents().size(), 2u);
    EXPECT_TRUE(lines.empty());
}

TEST_F(SD4PendingRunStoreTest, UnreadableFilesAreKeptAsideBeforeTheFirstSave) {
    const std::vector<std::string> unreadable{
        R"({"schemaVersion":2,"events":[]})",
        R"({"schemaVersion":1.0,"events":[]})",
        R"({"events":[]})",
        R"({"schemaVersion":1,"events":[{"copyJobID":"J","runID":"R","outcome":"failed","isCatchup":"no"}]})",
        R"({"schemaVersion":1,"events":[{"runID":"R","outcome":"failed","isCatchup":false}]})",
        "not json",
        "",
    };
    for (const auto& bytes : unreadable) {
        SCOPED_TRACE(bytes);
        std::filesystem::remove_all(file().parent_path());
        lines.clear();
        writeText(file(), bytes);
        auto store = makeStore();
        EXPECT_TRUE(store.pendingEvents().empty());
        EXPECT_EQ(readText(file()), bytes) << "loading changes nothing";
        store.add(event("R1"));
        const auto aside = file().string() + ".unreadable-1796487578";
        EXPECT_EQ(readText(aside), bytes);
        EXPECT_EQ(lines, std::vector<std::string>{"pending runs file unreadable, kept as: " + aside});
        EXPECT_EQ(makeStore().pendingEvents(), std::vector<SD4RunEvent>{event("R1")});
        store.add(event("R2"));
        EXPECT_EQ(lines.size(), 1u) << "kept aside only once";
    }
}

TEST_F(SD4PendingRunStoreTest, AFileThatCannotBeKeptAsideIsNotOverwrittenAndFailedSavesAreSilent) {
    writeText(file(), "garbage");
    auto store = makeStore();
    // An earlier copy already holds the name: moving must not replace it, nor the save the original.
    writeText(file().string() + ".unreadable-1796487578", "older garbage");
    store.add(event("R1"));
    EXPECT_EQ(readText(file()), "garbage");
    EXPECT_EQ(readText(file().string() + ".unreadable-1796487578"), "older garbage");
    EXPECT_EQ(store.pendingEvents(), std::vector<SD4RunEvent>{event("R1")});
    clock.advance(std::chrono::seconds(1));
    store.remove("nothing");
    EXPECT_EQ(readText(file().string() + ".unreadable-1796487579"), "garbage");
    EXPECT_EQ(makeStore().pendingEvents(), std::vector<SD4RunEvent>{event("R1")});

    // A save that fails is silent and keeps the events in memory.
    writeText(home.path() / "blocked", "a file, not a folder");
    SD4PendingRunStore blocked(files, home.path() / "blocked/sd4-pending-runs.json");
    EXPECT_NO_THROW(blocked.add(event("R1")));
    EXPECT_EQ(blocked.pendingEvents(), std::vector<SD4RunEvent>{event("R1")});
}
