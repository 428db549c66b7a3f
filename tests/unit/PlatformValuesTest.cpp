#include "platform/InternetDateTime.h"
#include "platform/Plist.h"
#include "platform/SupportFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace std::chrono;

TEST(InternetDateTime, FormatsUtcWithWholeSeconds) {
    EXPECT_EQ(formatInternetDateTimeFromUnixSeconds(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(formatInternetDateTimeFromUnixSeconds(1738361045), "2025-01-31T22:04:05Z");
    // Fractions are dropped toward the past, also before 1970.
    EXPECT_EQ(formatInternetDateTime(TimePoint(milliseconds(1738361045999))), "2025-01-31T22:04:05Z");
    EXPECT_EQ(formatInternetDateTime(TimePoint(milliseconds(-1))), "1969-12-31T23:59:59Z");
}

TEST(SupportFolder, FirstApplicationSupportFolderElseHome) {
    UserDomain domain{"/home/u", {"/data/one", "/data/two"}, "/tmp"};
    EXPECT_EQ(supportFolder(domain), "/data/one/Quillstone");
    domain.applicationSupportDirectories.clear();
    EXPECT_EQ(supportFolder(domain), "/home/u/Quillstone");
}

TEST(Plist, XmlRoundTripKeepsTypes) {
    Plist plist = Plist::dictionary();
    plist.setString("Label", "com.quillstone.monitor");
    plist.setBool("RunAtLoad", true);
    plist.setStringArray("ProgramArguments", {"/a b/c", "--flag"});
    auto parsed = Plist::parse(plist.toXml());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->string("Label"), "com.quillstone.monitor");
    EXPECT_EQ(parsed->boolean("RunAtLoad"), true);
    EXPECT_EQ(parsed->stringArray("ProgramArguments"), (std::vector<std::string>{"/a b/c", "--flag"}));
    EXPECT_EQ(parsed->string("RunAtLoad"), std::nullopt);
    EXPECT_EQ(parsed->boolean("Missing"), std::nullopt);
}

TEST(Plist, GarbageIsRejectedNotCrashed) {
    EXPECT_FALSE(Plist::parse(""));
    EXPECT_FALSE(Plist::parse("not a plist"));
    EXPECT_FALSE(Plist::parse("bplist00\x01\x02"));
}
