#include "platform/InternetDateTime.h"
#include "platform/Plist.h"
#include "platform/SupportFolder.h"
#include "platform/SystemTools.h"

#include <cstdlib>
#include <plist/plist.h>

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

TEST(SystemTools, NestedBundlesUseTheOutermostBundlesHelpers) {
    for (auto [running, helpers] : std::vector<std::pair<std::string, std::string>>{
             {"/A/Quillstone.app", "/A/Quillstone.app"},
             {"/A/Quillstone.app/Contents/Library/LoginItems/Quillstone Status.app", "/A/Quillstone.app"},
             // A folder that merely ends in .app above the bundle is not its container.
             {"/home/my.app/b/Quillstone.app/Contents/Library/LoginItems/S.app", "/home/my.app/b/Quillstone.app"},
             {"/bin", "/bin"}}) {
        EXPECT_EQ(SystemTools::forBundle(SystemTools::outermostBundle(Bundle(running))).launchctl,
                  std::filesystem::path(helpers) / "Contents/Helpers/launchctl")
            << running;
    }
}

TEST(Plist, XmlRoundTripKeepsTypesAndGarbageIsRejectedNotCrashed) {
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

    EXPECT_FALSE(Plist::parse(""));
    EXPECT_FALSE(Plist::parse("not a plist"));
    EXPECT_FALSE(Plist::parse("bplist00\x01\x02"));
}

namespace {
std::string binaryPlist(const std::string& key, const std::string& value) {
    plist_t dictionary = plist_new_dict();
    plist_dict_set_item(dictionary, key.c_str(), plist_new_string(value.c_str()));
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_bin(dictionary, &raw, &length);
    std::string bytes(raw, length);
    std::free(raw);
    plist_free(dictionary);
    return bytes;
}

std::string withLastCharacterOf(std::string bytes, const std::string& text, char to) {
    bytes[bytes.find(text) + text.size() - 1] = to;
    return bytes;
}
} // namespace

// libplist aborts the process when asked for a key or string with a NUL in
// it; a stray bundle's Info.plist must never take the wizard or launchctl down.
TEST(Plist, NulCharactersAreRefusedInsteadOfAborting) {
    std::string withRawNul = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Label</key>"
                             "<string>com.quill" + std::string(1, '\0') + "stone</string></dict></plist>";
    EXPECT_FALSE(Plist::parse(withRawNul));
    EXPECT_FALSE(Plist::parse("<plist version=\"1.0\"><dict><key>A&#0;B</key><string>x</string></dict></plist>"));
    EXPECT_FALSE(Plist::parse("<plist version=\"1.0\"><dict><key>A</key><string>&#x000;</string></dict></plist>"));
    auto ordinary = Plist::parse("<plist version=\"1.0\"><dict><key>A</key><string>&#10;&#x41;</string></dict></plist>");
    ASSERT_TRUE(ordinary);
    EXPECT_EQ(ordinary->string("A"), "\nA");

    EXPECT_EQ(Plist::parse(binaryPlist("Label", "value"))->string("Label"), "value");
    for (const auto& bytes : {withLastCharacterOf(binaryPlist("Label", "value"), "Label", '\0'),
                              withLastCharacterOf(binaryPlist("Label", "value"), "value", '\0')}) {
        // Binary lists go through XML, which ends the text at the NUL.
        auto parsed = Plist::parse(bytes);
        ASSERT_TRUE(parsed);
        for (const auto& key : parsed->keys()) {
            EXPECT_EQ(key.find('\0'), std::string::npos);
            auto value = parsed->string(key);
            EXPECT_TRUE(!value || value->find('\0') == std::string::npos);
        }
    }
}
