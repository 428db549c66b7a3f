#include "status/LocalConfiguration.h"
#include "status/StatusUpdateManifest.h"

#include <gtest/gtest.h>

using namespace quillstone;

TEST(StatusConfigurationReader, ReadsTheFolderAndAnOptionalKnownIntegration) {
    struct Case {
        const char* json;
        std::optional<LocalConfiguration> expected;
    };
    const Case cases[] = {
        {R"({"integration":"classic","quillstoneFolderPath":"\/x","version":1})",
         LocalConfiguration{LocalIntegration::classic, "/x"}},
        {R"({"integration":"sd4","quillstoneFolderPath":"/x","version":"not read"})",
         LocalConfiguration{LocalIntegration::sd4, "/x"}},
        {R"({"quillstoneFolderPath":"/x"})", LocalConfiguration{std::nullopt, "/x"}},
        {R"({"integration":null,"quillstoneFolderPath":"/x"})", LocalConfiguration{std::nullopt, "/x"}},
        {R"({"integration":"foo","quillstoneFolderPath":"/x"})", std::nullopt},
        {R"({"integration":"SD4","quillstoneFolderPath":"/x"})", std::nullopt},
        {R"({"integration":1,"quillstoneFolderPath":"/x"})", std::nullopt},
        {R"({"integration":"sd4"})", std::nullopt},
        {R"({"integration":"sd4","quillstoneFolderPath":null})", std::nullopt},
        {R"(["/x"])", std::nullopt},
        {"{", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalConfiguration::decode(c.json), c.expected) << c.json;
    }
}

TEST(StatusManifestReader, NeedsAllThreeKeysAndAWebAddress) {
    EXPECT_EQ(StatusUpdateManifest::decode(
                  R"({"version":"2.4","build":-7,"downloadURL":"https://quillstone.app/d","releaseNotes":1})"),
              (StatusUpdateManifest{"2.4", -7, "https://quillstone.app/d"}));
    EXPECT_EQ(StatusUpdateManifest::decode(R"({"version":"2","build":9223372036854775807,"downloadURL":"http://h"})")
                  ->build,
              INT64_MAX);
    const char* unreadable[] = {
        R"({"version":"2.4","build":41})",
        R"({"version":"2.4","build":"41","downloadURL":"https://h/d"})",
        R"({"version":"2.4","build":41.5,"downloadURL":"https://h/d"})",
        R"({"version":"2.4","build":9223372036854775808,"downloadURL":"https://h/d"})",
        R"({"version":2.4,"build":41,"downloadURL":"https://h/d"})",
        R"({"build":41,"downloadURL":"https://h/d"})",
        // Handed to the desktop's opener: nothing but a web address.
        R"({"version":"2.4","build":41,"downloadURL":"file:///tmp/x.shortcut"})",
        R"({"version":"2.4","build":41,"downloadURL":"/tmp/x.shortcut"})",
        R"({"version":"2.4","build":41,"downloadURL":"https://h/a b"})",
        R"({"version":"2.4","build":41,"downloadURL":"https:///d"})",
        R"({"version":"2.4","build":41,"downloadURL":""})",
        "[]",
    };
    for (const char* json : unreadable) {
        EXPECT_FALSE(StatusUpdateManifest::decode(json)) << json;
    }
}
