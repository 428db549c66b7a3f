#include "status/StatusDocument.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "status/StatusDocumentCache.h"
#include "support/TemporaryFolder.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

using namespace quillstone;
using nlohmann::json;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

// Kept files and the common layouts are checked through the monitor's writer; these are the odd ones.
TEST(StatusDocumentMerge, EmptyDocumentIsExactlyTwentyBytesAndOddLayoutsMergeByTheReadingRules) {
    TemporaryFolder folder;
    PosixFileManager files(UserDomain::rootedAt(folder.path()));
    EXPECT_TRUE(QuillstoneStatusDocument::createEmptyIfMissing(files, folder / "backup_status.json"));
    EXPECT_EQ(readText(folder / "backup_status.json"), "{\n  \"backups\": []\n}\n");
    // A broken "backups" next to "status" is still the legacy single-entry layout.
    const std::string mixed = R"({"backups":"x","status":"FAILED"})";
    const std::pair<std::string, json> cases[] = {
        {mixed, {{"backups", json::array({json::parse(mixed)})}}},
        {R"({"backups":{"id":"a"}})", {{"backups", json::array()}}},
        {R"({"other":true})", {{"backups", json::array()}, {"other", true}}},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(QuillstoneStatusDocument::readForMerge(bytes), expected) << bytes;
    }
}

TEST(StatusDocumentReader, DecodesTheFiveFieldsAndIgnoresEverythingElse) {
    auto document = StatusDocument::decode(R"({"backups":[
        {"id":"1","name":"A","status":"SUCCESS","completedAt":"2025-01-31T22:04:05Z","freeSpace":"1.8Ti",
         "source":"Mac","bytesCopied":5,"isCatchup":false},
        {"id":"2","name":"B","status":"FAILED","completedAt":"x","freeSpace":""},
        {"id":"3","name":"C","status":"FAILED","completedAt":"x"},
        {"id":"4","name":"D","status":"FAILED","completedAt":"x","freeSpace":null}],"extra":{}})");
    ASSERT_TRUE(document);
    ASSERT_EQ(document->backups.size(), 4u);
    EXPECT_EQ(document->backups[0], (StatusBackup{"1", "A", "SUCCESS", "2025-01-31T22:04:05Z", "1.8Ti"}));
    EXPECT_EQ(document->backups[1].freeSpace, std::optional<std::string>(""));
    EXPECT_EQ(document->backups[2].freeSpace, std::nullopt);
    EXPECT_EQ(document->backups[3].freeSpace, std::nullopt);
}

TEST(StatusDocumentReader, AnyDeviationFailsTheWholeDocument) {
    const char* bad[] = {
        R"({"backups":[{"id":"1","name":7,"status":"S","completedAt":"x"}]})",
        R"({"backups":[{"id":"1","status":"S","completedAt":"x"}]})",
        R"({"backups":[{"id":"1","name":"n","status":"S","completedAt":"x"},{"id":"2","name":"n","status":"S"}]})",
        R"({"backups":[{"id":"1","name":"n","status":"S","completedAt":"x","freeSpace":3}]})",
        R"({"backups":["x"]})",
        R"({"backups":{}})",
        R"({"status":"SUCCESS"})",
        R"([])",
        "garbage",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(StatusDocument::decode(text)) << text;
    }
    const std::string deep = R"({"backups": [], "x": )" + std::string(513, '[') + std::string(513, ']') + "}";
    EXPECT_FALSE(StatusDocument::decode(deep));
}

TEST(StatusDocumentCache, DecodesAgainOnlyWhenTheFileChangedAndNeverReadsAnOversizedOne) {
    TemporaryFolder folder;
    PosixFileManager files{UserDomain::rootedAt(folder.path())};
    const auto file = folder / "backup_status.json";
    const std::string entry = R"({"backups":[{"id":"1","name":"Mac","status":"SUCCESS","completedAt":"x"}]})";
    StatusDocumentCache cache;
    EXPECT_FALSE(cache.read(files, file));
    writeText(file, entry);
    EXPECT_EQ(cache.read(files, file)->backups.size(), 1u);
    EXPECT_EQ(cache.read(files, file)->backups.size(), 1u);
    EXPECT_EQ(cache.decodings(), 2u) << "the missing file, then the new one";
    files.replaceAtomically(file, entry, 0644); // same bytes, another inode
    EXPECT_TRUE(cache.read(files, file));
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(1));
    EXPECT_TRUE(cache.read(files, file));
    EXPECT_EQ(cache.decodings(), 4u);
    // 200 MB of holes: refused by its size alone, so neither read nor kept in memory.
    std::filesystem::resize_file(file, 200'000'000);
    EXPECT_FALSE(cache.read(files, file));
    EXPECT_FALSE(cache.read(files, file));
    EXPECT_EQ(cache.decodings(), 4u);
}
