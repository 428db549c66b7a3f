#include "setup/model/QuillstoneConfigurationStore.h"
#include "support/TemporaryFolder.h"

#include <gmock/gmock.h>

using namespace quillstone;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {
class ConfigurationStoreTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneConfigurationStore store{files};

    QuillstoneConfiguration defaults() const {
        return QuillstoneConfiguration{1, QuillstoneIntegration::sd4, (home.path() / "Quillstone").string()};
    }
};
} // namespace

TEST_F(ConfigurationStoreTest, LivesInTheSupportFolder) {
    EXPECT_EQ(store.fileURL(), home.path() / ".local/share/Quillstone/configuration.json");
    PosixFileManager noSupport(UserDomain{home.path(), {}, "/tmp"});
    EXPECT_EQ(QuillstoneConfigurationStore(noSupport).fileURL(), home.path() / "Quillstone/configuration.json");
}

TEST_F(ConfigurationStoreTest, SavesApplePrettyJsonAndReadsAnyEquivalentJson) {
    QuillstoneConfiguration classic{1, QuillstoneIntegration::classic, "/Users/user/Dropbox/Quillstone"};
    store.save(classic);
    EXPECT_EQ(readText(store.fileURL()), "{\n"
                                         "  \"integration\" : \"classic\",\n"
                                         "  \"quillstoneFolderPath\" : \"/Users/user/Dropbox/Quillstone\",\n"
                                         "  \"version\" : 1\n"
                                         "}");
    EXPECT_EQ(store.loadOrDefault(), classic);

    // Escaped slashes and extra keys, as other writers leave them.
    writeText(store.fileURL(), R"({"extra":[1],"integration":"classic",)"
                               R"("quillstoneFolderPath":"\/Users\/user\/Q","version":1})");
    EXPECT_EQ(store.loadOrDefault(), (QuillstoneConfiguration{1, QuillstoneIntegration::classic, "/Users/user/Q"}));
}

TEST_F(ConfigurationStoreTest, AnythingButACompleteValidFileGivesTheDefault) {
    EXPECT_EQ(store.loadOrDefault(), defaults()) << "missing file";
    const char* bad[] = {
        R"({"integration":"classic","quillstoneFolderPath":"/q","version":2})",
        R"({"integration":"classic","quillstoneFolderPath":"/q","version":"1"})",
        R"({"integration":"classic","quillstoneFolderPath":"/q","version":1.5})",
        R"({"integration":"SD4","quillstoneFolderPath":"/q","version":1})",
        R"({"integration":"classic","quillstoneFolderPath":"","version":1})",
        R"({"integration":"classic","version":1})",
        R"([1,2])",
        R"({"integration":"classic",)",
        "",
    };
    for (const char* text : bad) {
        writeText(store.fileURL(), text);
        EXPECT_EQ(store.loadOrDefault(), defaults()) << text;
        EXPECT_EQ(readText(store.fileURL()), text) << "a bad file is left in place";
    }
}

TEST_F(ConfigurationStoreTest, IncompleteSaveFailsAndLeavesTheFileUntouched) {
    store.save(QuillstoneConfiguration{1, QuillstoneIntegration::classic, "/q"});
    std::string before = readText(store.fileURL());
    for (auto incomplete : {QuillstoneConfiguration{0, QuillstoneIntegration::sd4, "/q"},
                            QuillstoneConfiguration{1, QuillstoneIntegration::sd4, ""}}) {
        EXPECT_THAT([&] { store.save(incomplete); },
                    ::testing::ThrowsMessage<QuillstoneConfigurationStoreError>(
                        "The Quillstone configuration is incomplete."));
    }
    EXPECT_EQ(readText(store.fileURL()), before);
}

TEST_F(ConfigurationStoreTest, SaveCreatesMissingFoldersRemoveToleratesAbsenceAndABlockedFolderThrows) {
    QuillstoneConfigurationStore deep(files, home.path() / "a/b/c/configuration.json");
    deep.save(QuillstoneConfiguration{1, QuillstoneIntegration::sd4, "/q"});
    EXPECT_TRUE(std::filesystem::exists(deep.fileURL()));
    deep.remove();
    EXPECT_FALSE(std::filesystem::exists(deep.fileURL()));
    EXPECT_NO_THROW(deep.remove());

    writeText(home.path() / "blocker", "a file where a folder should be");
    QuillstoneConfigurationStore blocked(files, home.path() / "blocker/configuration.json");
    EXPECT_THROW(blocked.save(QuillstoneConfiguration{1, QuillstoneIntegration::sd4, "/q"}), std::exception);
}
