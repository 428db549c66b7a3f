#include "platform/ReleaseVersion.h"

#include <gtest/gtest.h>

using namespace quillstone;

TEST(ReleaseVersionTest, BuildNumbersAreDecimalWithOneOptionalSign) {
    EXPECT_EQ(ReleaseVersion::parseBuildNumber("40"), 40);
    EXPECT_EQ(ReleaseVersion::parseBuildNumber("+7"), 7);
    EXPECT_EQ(ReleaseVersion::parseBuildNumber("-3"), -3);
    EXPECT_EQ(ReleaseVersion::parseBuildNumber("-9223372036854775808"), INT64_MIN);
    for (const char* bad : {"", "+", "--1", "1.0", " 1", "1a", "9223372036854775808", "\xd9\xa3"}) {
        EXPECT_EQ(ReleaseVersion::parseBuildNumber(bad), 0) << bad;
    }
}

TEST(ReleaseVersionTest, OddVersionsCompareNumericallyThenByBuild) {
    EXPECT_TRUE(ReleaseVersion::isNewerVersion("2..4", 0, "2.3", 0));
    EXPECT_FALSE(ReleaseVersion::isNewerVersion("2.3", 40, "2.3.0", 40));
    EXPECT_TRUE(ReleaseVersion::isNewerVersion("2.x", 0, "1", 0)); // "x" counts as 0, 2 > 1
}

