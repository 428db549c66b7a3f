#include "setup/wizard/QuillstoneUpdateManifest.h"
#include "status/LocalConfiguration.h"
#include "status/StatusUpdateManifest.h"

#include <gtest/gtest.h>

#include <utility>

using namespace quillstone;

TEST(StatusConfigurationReader, ReadsTheFolderAndAnOptionalKnownIntegration) {
    const std::pair<const char*, std::optional<LocalConfiguration>> cases[] = {
        {R"({"integration":"classic","quillstoneFolderPath":"\/x","version":1})",
         LocalConfiguration{LocalIntegration::classic, "/x"}},
        {R"({"integration":"sd4","quillstoneFolderPath":"/x","version":"not read"})",
         LocalConfiguration{LocalIntegration::sd4, "/x"}},
        {R"({"quillstoneFolderPath":"/x"})", LocalConfiguration{std::nullopt, "/x"}},
        {R"({"integration":null,"quillstoneFolderPath":"/x"})", LocalConfiguration{std::nullopt, "/x"}},
        {R"({"integration":"SD4","quillstoneFolderPath":"/x"})", std::nullopt},
        {R"({"integration":1,"quillstoneFolderPath":"/x"})", std::nullopt},
        {R"({"integration":"sd4"})", std::nullopt},
        {R"({"integration":"sd4","quillstoneFolderPath":null})", std::nullopt},
        {R"(["/x"])", std::nullopt},
        {"{", std::nullopt},
    };
    for (const auto& [json, expected] : cases) {
        EXPECT_EQ(LocalConfiguration::decode(json), expected) << json;
    }
}

// The wizard and the status app read the same manifest with their own decoders.
TEST(UpdateManifestReaders, NeedAllThreeKeysWellTyped) {
    const char* full = R"({"version":"2.4","build":41,"downloadURL":"https://h/d","releaseNotes":"Fixes","x":[1]})";
    EXPECT_EQ(StatusUpdateManifest::decode(full), (StatusUpdateManifest{"2.4", 41, "https://h/d"}));
    EXPECT_EQ(QuillstoneUpdateManifest::decode(full), (QuillstoneUpdateManifest{"2.4", 41, "https://h/d", "Fixes"}));
    struct Case {
        const char* json;
        bool status;
        bool wizard;
    };
    const Case cases[] = {
        {R"({"version":"2.4","build":-7,"downloadURL":"https://h/d"})", true, true},
        {R"({"version":"2","build":9223372036854775807,"downloadURL":"http://h"})", true, true},
        // Only the wizard shows release notes.
        {R"({"version":"2.4","build":41,"downloadURL":"https://h/d","releaseNotes":7})", true, false},
        // The status app hands the address to the desktop's opener: nothing but a web address.
        {R"({"version":"2.4","build":41,"downloadURL":"mailto:a@b.c"})", false, true},
        {R"({"version":"2.4","build":41,"downloadURL":"https:///d"})", false, true},
        {R"({"version":"2.4","build":41,"downloadURL":"https://h/a b"})", false, false},
        {R"({"version":"2.4","build":41,"downloadURL":"/tmp/x.shortcut"})", false, false},
        {R"({"version":"2.4","build":41,"downloadURL":""})", false, false},
        {R"({"version":"2.4","build":41})", false, false},
        {R"({"version":"2.4","build":"41","downloadURL":"https://h/d"})", false, false},
        {R"({"version":"2.4","build":41.5,"downloadURL":"https://h/d"})", false, false},
        {R"({"version":"2.4","build":9223372036854775808,"downloadURL":"https://h/d"})", false, false},
        {R"({"version":2.4,"build":41,"downloadURL":"https://h/d"})", false, false},
        {R"({"build":41,"downloadURL":"https://h/d"})", false, false},
        {R"({"version":"2.4","build":41,"downloadURL":"https://h/d")", false, false},
        {"[]", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StatusUpdateManifest::decode(c.json).has_value(), c.status) << c.json;
        EXPECT_EQ(QuillstoneUpdateManifest::decode(c.json).has_value(), c.wizard) << c.json;
    }
    EXPECT_EQ(StatusUpdateManifest::decode(cases[0].json)->build, -7);
    EXPECT_EQ(QuillstoneUpdateManifest::decode(cases[0].json)->releaseNotes, std::nullopt);
    EXPECT_EQ(StatusUpdateManifest::decode(cases[1].json)->build, INT64_MAX);
    EXPECT_EQ(QuillstoneUpdateManifest::decode(cases[1].json)->build, INT64_MAX);
}
