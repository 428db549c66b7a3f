#include "setup/wizard/QuillstoneUpdateManifest.h"

#include <gtest/gtest.h>

using namespace quillstone;

namespace {

TEST(QuillstoneUpdateManifest, DecodesTheFourKeysAndIgnoresOthers) {
    auto manifest = QuillstoneUpdateManifest::decode(
        R"({"version":"2.4","build":41,"downloadURL":"https://quillstone.example/d","releaseNotes":"Fixes","extra":[1]})");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(*manifest, (QuillstoneUpdateManifest{"2.4", 41, "https://quillstone.example/d", "Fixes"}));
    manifest = QuillstoneUpdateManifest::decode(R"({"version":"2.4","build":-3,"downloadURL":"mailto:a@b.c"})");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->build, -3);
    EXPECT_FALSE(manifest->releaseNotes);
}

TEST(QuillstoneUpdateManifest, AnythingMissingOrMistypedIsUnreadable) {
    for (const char* bytes : {
             R"({"version":"2.4","build":"41","downloadURL":"https://q.example/d"})",
             R"({"version":"2.4","build":41.5,"downloadURL":"https://q.example/d"})",
             R"({"version":"2.4","build":18446744073709551615,"downloadURL":"https://q.example/d"})",
             R"({"version":2.4,"build":41,"downloadURL":"https://q.example/d"})",
             R"({"version":"2.4","build":41})",
             R"({"version":"2.4","build":41,"downloadURL":"/relative/path"})",
             R"({"version":"2.4","build":41,"downloadURL":"https://q.example/d","releaseNotes":7})",
             R"({"version":"2.4","build":41,"downloadURL":"https://q.example/d")",
             R"(["version"])",
             "",
         }) {
        EXPECT_FALSE(QuillstoneUpdateManifest::decode(bytes)) << bytes;
    }
}

} // namespace
