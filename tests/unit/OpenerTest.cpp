#include "helpers/open/Opener.h"
#include "support/FakeBundles.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace quillstone;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {

class RecordingLauncher : public DetachedLauncher {
public:
    void launch(const std::filesystem::path& executable, const std::vector<std::string>& arguments) override {
        launched.push_back(executable);
        EXPECT_TRUE(arguments.empty());
    }
    std::vector<std::filesystem::path> launched;
};

class OpenerTest : public ::testing::Test {
protected:
    int run(const std::vector<std::string>& arguments) {
        errors.str("");
        Opener opener(
            launcher,
            [this](const std::filesystem::path& program, const std::vector<std::string>& arguments) {
                std::string line = program.string();
                for (const auto& argument : arguments) {
                    line += " " + argument;
                }
                ran.push_back(line);
                return toolStatus;
            },
            [this](const std::string& name) -> std::optional<std::filesystem::path> {
                if (!hasDesktopOpener) {
                    return std::nullopt;
                }
                return std::filesystem::path("/usr/bin") / name;
            },
            "/B/Contents/Helpers", errors);
        return opener.run(arguments);
    }

    std::filesystem::path makeBundle(const std::string& name, const std::string& executable) {
        auto bundle = folder / name;
        writeText(bundle / "Contents/Info.plist", quillstone::testing::bundleInfoPlist("org.example.app", executable, "1", "1"));
        writeText(bundle / "Contents/MacOS" / executable, "#!/bin/sh\n");
        std::filesystem::permissions(bundle / "Contents/MacOS" / executable, std::filesystem::perms::owner_all);
        return bundle;
    }

    TemporaryFolder folder;
    RecordingLauncher launcher;
    std::vector<std::string> ran;
    int toolStatus = 0;
    bool hasDesktopOpener = true;
    std::ostringstream errors;
};

} // namespace

TEST(OpenTarget, TellsApplicationsShortcutsUrlsAndFilesApart) {
    using Kind = OpenTarget::Kind;
    EXPECT_EQ(OpenTarget::classify("/x/Quillstone Status.app").kind, Kind::application);
    EXPECT_EQ(OpenTarget::classify("/x/Y.APP/").kind, Kind::application);
    EXPECT_EQ(OpenTarget::classify("/x/Quillstone SuperDuper Details.shortcut").kind, Kind::shortcut);
    EXPECT_EQ(OpenTarget::classify("https://example.com/guide").kind, Kind::url);
    EXPECT_EQ(OpenTarget::classify("x-apple.systempreferences:com.apple.LoginItems").kind, Kind::url);
    EXPECT_EQ(OpenTarget::classify("/x/notes.txt").kind, Kind::file);
    EXPECT_EQ(OpenTarget::classify("./odd:name.txt").kind, Kind::file);
    EXPECT_EQ(OpenTarget::classify(".app").kind, Kind::file);
}

TEST_F(OpenerTest, StartsTheBundlesOwnExecutable) {
    auto bundle = makeBundle("Quillstone Status.app", "quillstone-status");
    EXPECT_EQ(run({"-g", bundle.string()}), 0);
    EXPECT_EQ(run({"-n", bundle.string()}), 0);
    EXPECT_EQ(launcher.launched, std::vector<std::filesystem::path>(2, bundle / "Contents/MacOS/quillstone-status"));
    EXPECT_TRUE(ran.empty());
}

TEST_F(OpenerTest, ReportsABundleItCannotStart) {
    EXPECT_EQ(run({"-g", (folder / "Missing.app").string()}), Opener::failureStatus);
    EXPECT_EQ(errors.str(), "The file " + (folder / "Missing.app").string() + " does not exist.\n");

    auto bundle = makeBundle("Broken.app", "broken");
    std::filesystem::remove(bundle / "Contents/MacOS/broken");
    EXPECT_EQ(run({"-g", bundle.string()}), Opener::failureStatus);
    EXPECT_NE(errors.str().find("The application could not be launched: "), std::string::npos);
    EXPECT_TRUE(launcher.launched.empty());
}

TEST_F(OpenerTest, HandsShortcutsToTheSiblingInstaller) {
    auto shortcut = folder / "Quillstone SuperDuper Details.shortcut";
    writeText(shortcut, "#!/bin/sh\n");
    toolStatus = 4;
    EXPECT_EQ(run({shortcut.string()}), 4);
    EXPECT_EQ(ran, (std::vector<std::string>{"/B/Contents/Helpers/shortcuts install " + shortcut.string()}));
}

TEST_F(OpenerTest, SendsOtherFilesAndUrlsToTheDesktopOpener) {
    auto notes = folder / "notes.txt";
    writeText(notes, "x");
    EXPECT_EQ(run({notes.string(), "https://example.com"}), 0);
    EXPECT_EQ(ran, (std::vector<std::string>{"/usr/bin/xdg-open " + notes.string(),
                                             "/usr/bin/xdg-open https://example.com"}));

    hasDesktopOpener = false;
    EXPECT_EQ(run({"https://example.com"}), Opener::failureStatus);
    EXPECT_EQ(errors.str(), "No application can open https://example.com: xdg-open is not installed.\n");
}

TEST_F(OpenerTest, RefusesWhatItDoesNotKnow) {
    EXPECT_EQ(run({}), Opener::failureStatus);
    EXPECT_EQ(run({"-a", "Safari"}), Opener::failureStatus);
    EXPECT_NE(errors.str().find("Usage: open"), std::string::npos);
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(launcher.launched.empty());
}
