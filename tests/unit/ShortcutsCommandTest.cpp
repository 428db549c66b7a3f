#include "helpers/shortcuts/ShortcutsCommand.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

class ShortcutsCommandTest : public ::testing::Test {
protected:
    int run(std::vector<std::string> arguments) {
        out.str("");
        err.str("");
        ShortcutsCommand command(
            library,
            [this](const std::filesystem::path& executable, const std::vector<std::string>& passed) {
                executed = executable;
                executedWith = passed;
                errno = ENOEXEC;
            },
            out, err);
        return command.run(arguments);
    }

    void installExecutable(const std::string& name, mode_t mode = 0755) {
        writeText(library.folder() / name, "#!/bin/sh\n");
        ::chmod((library.folder() / name).c_str(), mode);
    }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    ShortcutLibrary library{files, ShortcutLibrary::folderFor(files.userDomain())};
    std::ostringstream out, err;
    std::filesystem::path executed;
    std::vector<std::string> executedWith;
};

} // namespace

TEST_F(ShortcutsCommandTest, RunPassesTheFilesToTheShortcutsExecutable) {
    installExecutable("Quillstone SuperDuper Details");
    EXPECT_EQ(run({"run", "Quillstone SuperDuper Details", "--input-path", "/w/input.json", "--output-path",
                   "/w/output.json", "--output-type", "public.json"}),
              1); // only reached because the fake exec returns
    // Which file runs: ShortcutChainTest runs the real one.
    EXPECT_FALSE(executed.empty());
    EXPECT_EQ(executedWith,
              (std::vector<std::string>{"--input-path", "/w/input.json", "--output-path", "/w/output.json"}));
    EXPECT_NE(err.str().find("could not be started"), std::string::npos);
}

TEST_F(ShortcutsCommandTest, UnknownOrUnsafeNamesAndBadCommandLinesFailClearly) {
    installExecutable("Known");
    installExecutable("../../../outside"); // runnable, but outside the library
    for (const char* name : {"Unknown", "../../../outside", "..", ""}) {
        EXPECT_EQ(run({"run", name, "--input-path", "i"}), 1) << name;
        EXPECT_EQ(err.str().rfind("Error: There is no shortcut named \"", 0), 0u) << err.str();
    }
    EXPECT_TRUE(executed.empty());
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"run"}, {"run", "Known", "--input-path"}, {"run", "Known", "--shell", "x"},
             {"list", "extra"}, {"delete", "Known"}}) {
        EXPECT_EQ(run(arguments), 64) << ::testing::PrintToString(arguments);
    }
    EXPECT_NE(err.str().find("usage: shortcuts list"), std::string::npos);
    EXPECT_TRUE(executed.empty());
}

TEST_F(ShortcutsCommandTest, InstallCopiesTheFileAsAnExecutableNamedWithoutItsExtensionAndListShowsIt) {
    EXPECT_EQ(library.folder(), home / ".local/share/shortcuts");
    EXPECT_EQ(run({"list"}), 0);
    EXPECT_EQ(out.str(), "");
    writeText(home / "Downloads/Quillstone SuperDuper Details.shortcut", "#!/bin/sh\necho v1\n");
    EXPECT_EQ(run({"install", (home / "Downloads/Quillstone SuperDuper Details.shortcut").string()}), 0);
    auto installed = library.folder() / "Quillstone SuperDuper Details";
    EXPECT_EQ(readText(installed), "#!/bin/sh\necho v1\n");
    EXPECT_EQ(std::filesystem::status(installed).permissions(), std::filesystem::perms(0755));

    writeText(home / "Downloads/Quillstone SuperDuper Details.shortcut", "#!/bin/sh\necho v2\n");
    EXPECT_EQ(run({"install", (home / "Downloads/Quillstone SuperDuper Details.shortcut").string()}), 0);
    EXPECT_EQ(readText(installed), "#!/bin/sh\necho v2\n");
    installExecutable("Another");
    installExecutable("Not runnable", 0644);
    installExecutable(".hidden-temporary");
    EXPECT_EQ(run({"list"}), 0);
    EXPECT_EQ(out.str(), "Another\nQuillstone SuperDuper Details\n");

    EXPECT_EQ(run({"install", (home / "missing.shortcut").string()}), 1);
    EXPECT_EQ(err.str().rfind("Error: The shortcut could not be installed: ", 0), 0u);
    EXPECT_EQ(run({"install", (home / ".shortcut").string()}), 1);
}
