#include "setup/service/QuillstoneInstalledComponents.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

using namespace quillstone;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeApplicationBundle;
using quillstone::testing::writeText;

namespace {

std::string infoPlist(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + entries + "</dict></plist>\n";
}

const QuillstoneInstalledComponents record{"2.3", "40", "/Applications/Quillstone.app", QuillstoneIntegration::sd4};

} // namespace

TEST(InstalledComponentsTest, CurrentRecordComesFromTheBundle) {
    TemporaryFolder root;
    writeApplicationBundle(root / "Quillstone.app", "com.quillstone.Quillstone-Setup", "2.3", "40");
    std::filesystem::create_directory(root / "sub");
    auto current = QuillstoneInstalledComponents::current(QuillstoneIntegration::classic,
                                                          Bundle(root.path() / "sub/.././Quillstone.app/"));
    EXPECT_EQ(current, (QuillstoneInstalledComponents{"2.3", "40", (root / "Quillstone.app").string(),
                                                      QuillstoneIntegration::classic}));

    // Missing or non-string values read as "0".
    writeText(root / "Old.app/Contents/Info.plist",
              infoPlist("<key>CFBundleShortVersionString</key><integer>2</integer>"));
    auto old = QuillstoneInstalledComponents::current(QuillstoneIntegration::sd4, Bundle(root / "Old.app"));
    EXPECT_EQ(old.version, "0");
    EXPECT_EQ(old.build, "0");
}

TEST(InstalledComponentsTest, DecodingAcceptsOnlyTheFullRecord) {
    EXPECT_EQ(QuillstoneInstalledComponents::decode(record.encode()), record);
    for (const std::string& invalid : {
             std::string(R"({"build":"40","bundlePath":"/A.app","integration":"cloud","version":"2.3"})"),
             std::string(R"({"build":"40","bundlePath":"/A.app","integration":"SD4","version":"2.3"})"),
             std::string(R"({"bundlePath":"/A.app","integration":"sd4","version":"2.3"})"),
             std::string(R"({"build":40,"bundlePath":"/A.app","integration":"sd4","version":"2.3"})"),
             std::string(R"(["2.3","40"])"),
             std::string("{not json"),
             std::string(""),
         }) {
        EXPECT_FALSE(QuillstoneInstalledComponents::decode(invalid)) << invalid;
    }
}

TEST(InstalledComponentsStoreTest, SavesPrettySortedJsonBesideTheConfigurationAndReadsOnlyAUsableOne) {
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneInstalledComponentsStore store{files};
    EXPECT_EQ(store.fileURL(), home / ".local/share/Quillstone/installed-components.json");

    store.save(record);
    EXPECT_EQ(readText(store.fileURL()), "{\n"
                                         "  \"build\" : \"40\",\n"
                                         "  \"bundlePath\" : \"/Applications/Quillstone.app\",\n"
                                         "  \"integration\" : \"sd4\",\n"
                                         "  \"version\" : \"2.3\"\n"
                                         "}");
    EXPECT_EQ(store.load(), record);

    store.remove();
    EXPECT_FALSE(std::filesystem::exists(store.fileURL()));
    store.remove();
    EXPECT_FALSE(store.load());

    // A folder where the record should be reads as none and cannot be overwritten.
    std::filesystem::create_directory(store.fileURL());
    EXPECT_FALSE(store.load());
    EXPECT_THROW(store.save(record), std::exception);
    store.remove();
}
