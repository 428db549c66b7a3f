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
                return 0;
            },
            [](const std::string& name) -> std::optional<std::filesystem::path> {
                return std::filesystem::path("/usr/bin") / name;
            },
            "/B/Contents/Helpers", errors);
        return opener.run(arguments);
    }

    TemporaryFolder folder;
    RecordingLauncher launcher;
    std::vector<std::string> ran;
    std::ostringstream errors;
};

} // namespace

TEST(OpenTarget, TellsApplicationsShortcutsUrlsAndFilesApart) {
    using Kind = OpenTarget::Kind;
    for (auto [target, kind] : std::vector<std::pair<std::string, Kind>>{
             {"/x/Quillstone Status.app", Kind::application}, {"/x/Y.APP/", Kind::application},
             {"/x/Quillstone SuperDuper Details.shortcut", Kind::shortcut}, {"https://example.com/guide", Kind::url},
             {"x-apple.systempreferences:com.apple.LoginItems", Kind::url}, {"/x/notes.txt", Kind::file},
             {"./odd:name.txt", Kind::file}, {".app", Kind::file}}) {
        EXPECT_EQ(OpenTarget::classify(target).kind, kind) << target;
    }
}

TEST_F(OpenerTest, StartsTheBundlesOwnExecutableOrSaysWhyItCannot) {
    auto bundle = folder / "Quillstone Status.app";
    writeText(bundle / "Contents/Info.plist",
              quillstone::testing::bundleInfoPlist("org.example.app", "quillstone-status", "1", "1"));
    writeText(bundle / "Contents/MacOS/quillstone-status", "#!/bin/sh\n");
    std::filesystem::permissions(bundle / "Contents/MacOS/quillstone-status", std::filesystem::perms::owner_all);
    EXPECT_EQ(run({"-g", bundle.string()}), 0);
    EXPECT_EQ(run({"-n", bundle.string()}), 0);
    EXPECT_EQ(launcher.launched, std::vector<std::filesystem::path>(2, bundle / "Contents/MacOS/quillstone-status"));
    EXPECT_TRUE(ran.empty());

    EXPECT_EQ(run({"-g", (folder / "Missing.app").string()}), Opener::failureStatus);
    EXPECT_EQ(errors.str(), "The file " + (folder / "Missing.app").string() + " does not exist.\n");
    std::filesystem::remove(bundle / "Contents/MacOS/quillstone-status");
    EXPECT_EQ(run({"-g", bundle.string()}), Opener::failureStatus);
    EXPECT_NE(errors.str().find("The application could not be launched: "), std::string::npos);
    EXPECT_EQ(launcher.launched.size(), 2u);
}

// Shortcut files and a missing desktop opener are covered with the real program.
TEST_F(OpenerTest, SendsOtherFilesAndUrlsToTheDesktopOpenerAndRefusesWhatItDoesNotKnow) {
    EXPECT_EQ(run({}), Opener::failureStatus);
    EXPECT_EQ(run({"-a", "Safari"}), Opener::failureStatus);
    EXPECT_NE(errors.str().find("Usage: open"), std::string::npos);
    EXPECT_TRUE(ran.empty());

    auto notes = folder / "notes.txt";
    writeText(notes, "x");
    EXPECT_EQ(run({notes.string(), "https://example.com"}), 0);
    EXPECT_EQ(ran, (std::vector<std::string>{"/usr/bin/xdg-open " + notes.string(),
                                             "/usr/bin/xdg-open https://example.com"}));
    EXPECT_TRUE(launcher.launched.empty());
}
