#include "platform/AppleJson.h"

#include <gtest/gtest.h>

using namespace quillstone;
using nlohmann::json;

TEST(AppleJson, PrettyWritesSortedKeysWithSpacedColonsAndTwoSpaceIndent) {
    json value = {{"zeta", 1}, {"alpha", {{"b", true}, {"a", nullptr}}}, {"list", {1, "two"}}};
    EXPECT_EQ(prettyJson(value), "{\n"
                                 "  \"alpha\" : {\n"
                                 "    \"a\" : null,\n"
                                 "    \"b\" : true\n"
                                 "  },\n"
                                 "  \"list\" : [\n"
                                 "    1,\n"
                                 "    \"two\"\n"
                                 "  ],\n"
                                 "  \"zeta\" : 1\n"
                                 "}");
}

TEST(AppleJson, EmptyContainersAndEscapesStayValidJson) {
    json value = {{"backups", json::array()}, {"meta", json::object()}, {"text", "quote \" and \\ and \n"}};
    std::string text = prettyJson(value);
    EXPECT_NE(text.find("\"backups\" : []"), std::string::npos);
    EXPECT_NE(text.find("\"meta\" : {}"), std::string::npos);
    EXPECT_EQ(json::parse(text), value);
}

TEST(AppleJson, InvalidUtf8IsReplacedInsteadOfThrowing) {
    json value = {{"name", std::string("bad \xff byte")}};
    std::string text;
    EXPECT_NO_THROW(text = prettyJson(value));
    EXPECT_NO_THROW(json::parse(text));
    EXPECT_NO_THROW(json::parse(compactJson(value)));
}

TEST(AppleJson, CompactIsOneLineWithSortedKeys) {
    json value = {{"schemaVersion", 1}, {"events", json::array()}};
    EXPECT_EQ(compactJson(value), "{\"events\":[],\"schemaVersion\":1}");
}

TEST(AppleJson, PrettySpacesOnlyTheColonAfterEachKey) {
    json value = {{"a\": b", {"x\": y", "\"quoted\": \\"}}, {"nested", {{"k", json::array({json::object()})}}}};
    EXPECT_EQ(prettyJson(value), "{\n"
                                 "  \"a\\\": b\" : [\n"
                                 "    \"x\\\": y\",\n"
                                 "    \"\\\"quoted\\\": \\\\\"\n"
                                 "  ],\n"
                                 "  \"nested\" : {\n"
                                 "    \"k\" : [\n"
                                 "      {}\n"
                                 "    ]\n"
                                 "  }\n"
                                 "}");
    EXPECT_EQ(json::parse(prettyJson(value)), value);
}
