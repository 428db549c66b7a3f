#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/FileError.h"
#include "support/TemporaryFolder.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quillstone;
using nlohmann::json;

TEST(AppleJson, PrettySortsKeysIndentsByTwoAndSpacesOnlyTheColonAfterEachKey) {
    json value = {{"zeta", 1},
                  {"alpha", {{"b", true}, {"a", nullptr}}},
                  {"a\": b", {"x\": y"}},
                  {"nested", {{"k", json::array({json::object()})}}}};
    EXPECT_EQ(prettyJson(value), "{\n"
                                 "  \"a\\\": b\" : [\n"
                                 "    \"x\\\": y\"\n"
                                 "  ],\n"
                                 "  \"alpha\" : {\n"
                                 "    \"a\" : null,\n"
                                 "    \"b\" : true\n"
                                 "  },\n"
                                 "  \"nested\" : {\n"
                                 "    \"k\" : [\n"
                                 "      {}\n"
                                 "    ]\n"
                                 "  },\n"
                                 "  \"zeta\" : 1\n"
                                 "}");
}

TEST(AppleJson, CompactIsOneLineAndInvalidUtf8IsReplacedInsteadOfThrown) {
    EXPECT_EQ(compactJson({{"schemaVersion", 1}, {"events", json::array()}}), "{\"events\":[],\"schemaVersion\":1}");
    const json value = {{"name", std::string("bad \xff byte")}};
    EXPECT_NO_THROW(json::parse(prettyJson(value)));
    EXPECT_NO_THROW(json::parse(compactJson(value)));
}

namespace {

std::string nested(size_t levels, const std::string& open, const std::string& inner, const std::string& close) {
    std::string text;
    for (size_t level = 0; level < levels; ++level) {
        text += open;
    }
    text += inner;
    for (size_t level = 0; level < levels; ++level) {
        text += close;
    }
    return text;
}

std::string repeated(const std::string& item, size_t count) {
    std::string text = "[";
    for (size_t index = 0; index < count; ++index) {
        text += (index ? "," : "") + item;
    }
    return text + "]";
}

} // namespace

TEST(BoundedJson, DocumentsTooDeepTooLargeOrNotJsonAreRefused) {
    struct Case {
        std::string bytes;
        bool accepted;
        std::string reason;
    };
    const std::vector<Case> cases{
        {nested(512, "[", "", "]"), true, ""},
        {nested(513, "[", "", "]"), false, "nested deeper than 512 levels"},
        {nested(513, "{\"a\":", "1", "}"), false, "nested deeper than 512 levels"},
        {R"({"backups": [], "x": )" + nested(1'000'000, "[", "", "]") + "}", false, "nested deeper than 512 levels"},
        {"\"" + std::string(100'000, '[') + "\"", true, ""},
        {std::string(BoundedJson::maximumBytes - 2, ' ') + "{}", true, ""},
        {std::string(BoundedJson::maximumBytes - 1, ' ') + "{}", false, "larger than 8388608 bytes"},
        {"{\"a\": tru}", false, "syntax error"},
        {"[1] [2]", false, "syntax error"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.bytes.substr(0, 40));
        std::string reason;
        auto parsed = BoundedJson::parse(test.bytes, &reason);
        EXPECT_EQ(parsed.has_value(), test.accepted);
        EXPECT_NE(reason.find(test.reason), std::string::npos) << reason;
    }
    EXPECT_EQ(BoundedJson::depth(json(5)), 0u);
    EXPECT_EQ(BoundedJson::depth(json::parse(R"([1, {"a": [[]]}, []])")), 4u);
}

TEST(BoundedJson, ReadsOnlyRegularFilesUpToTheLimit) {
    quillstone::testing::TemporaryFolder folder;
    PosixFileManager files{UserDomain::rootedAt(folder.path())};
    const auto file = folder / "backup_status.json";
    quillstone::testing::writeText(file, std::string(BoundedJson::maximumBytes - 2, ' ') + "{}");
    EXPECT_TRUE(BoundedJson::readFile(files, file));
    quillstone::testing::writeText(file, std::string(BoundedJson::maximumBytes - 1, ' ') + "{}");
    EXPECT_FALSE(BoundedJson::readFile(files, file));
    auto errorOf = [&](const std::filesystem::path& path) {
        try {
            BoundedJson::readBytes(files, path, 10);
        } catch (const FileError& error) {
            return error.errorNumber();
        }
        return 0;
    };
    EXPECT_EQ(errorOf(file), EFBIG);
    // A pipe in place of the file neither blocks the reader nor counts as a file.
    const auto pipe = folder / "pipe.json";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(errorOf(pipe), EINVAL);
    EXPECT_EQ(errorOf(folder / "missing.json"), ENOENT);
}

TEST(AppleJson, PrintedSizeStaysWithinASmallMultipleOfTheDocument) {
    const std::vector<std::string> documents{
        nested(512, "[", "", "]"),
        nested(512, "{\"\":", "1", "}"),
        nested(4, "[", repeated("1", 5000), "]"),
        nested(3, "{\"k\":", repeated("1e15", 5000), "}"),
        nested(4, "[", repeated("{\"\":1}", 5000), "]"),
    };
    for (const auto& bytes : documents) {
        SCOPED_TRACE(bytes.substr(0, 40));
        auto value = BoundedJson::parse(bytes);
        ASSERT_TRUE(value);
        std::string printed = prettyJson(*value);
        EXPECT_LE(printed.size(), 6 * bytes.size() + 64);
        EXPECT_EQ(json::parse(printed), *value);
        EXPECT_LE(compactJson(*value).size(), 5 * bytes.size());
    }
}

TEST(AppleJson, ValuesNestedTooDeeplyAreNotPrinted) {
    // 512 levels still print: the first of the documents above.
    const json value = json::array({json::parse(nested(512, "[", "", "]"))});
    EXPECT_THROW(prettyJson(value), std::length_error);
    EXPECT_THROW(compactJson(value), std::length_error);
}
