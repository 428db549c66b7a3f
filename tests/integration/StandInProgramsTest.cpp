#include "platform/HelperAdministratorScript.h"
#include "setup/service/QuillstoneAdministratorCommand.h"
#include "support/FakeBundles.h"
#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace {

const std::filesystem::path helpers = std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents/Helpers";
const std::filesystem::path fixtures = std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

// What the wizard hands osascript, so these runs check its own quoting end to end.
const auto administratorScript = &QuillstoneAdministratorCommand::appleScriptSource;
const auto shellQuoted = &QuillstoneAdministratorCommand::shellQuoted;

void makeExecutable(const std::filesystem::path& file, const std::string& text) {
    writeText(file, text);
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

// A throwaway bundle with copies of the stand-ins and a recording `shortcuts`.
class ThrowawayBundle {
public:
    explicit ThrowawayBundle(const std::filesystem::path& root) : contents_(root / "Throwaway.app/Contents") {
        std::filesystem::create_directories(contents_ / "Helpers");
        for (const char* name : {"launchctl", "open"}) {
            std::filesystem::copy_file(helpers / name, contents_ / "Helpers" / name);
        }
        makeExecutable(contents_ / "Helpers/shortcuts",
                       "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + calls().string() + "\"\necho shortcuts-ran\n"
                       "echo to-stderr >&2\nexit 3\n");
    }
    std::filesystem::path helper(const std::string& name) const { return contents_ / "Helpers" / name; }
    std::filesystem::path calls() const { return contents_.parent_path().parent_path() / "shortcuts.calls"; }

private:
    std::filesystem::path contents_;
};

class StandInProgramsTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    ScopedEnvironment environment;
};

} // namespace

TEST_F(StandInProgramsTest, AsuserRunsTheSiblingShortcutsPassingItsStatusAndOutputThroughForUsOnly) {
    ThrowawayBundle bundle(folder.path());
    auto run = ProgramRun::of(bundle.helper("launchctl"),
                              {"asuser", std::to_string(::getuid()), "/usr/bin/shortcuts", "run",
                               "Quillstone SuperDuper Details", "--input-path", "/tmp/a b/input.json"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.output, "shortcuts-ran\n");
    EXPECT_EQ(run.errors, "to-stderr\n");
    const std::string calls = "run\nQuillstone SuperDuper Details\n--input-path\n/tmp/a b/input.json\n";
    EXPECT_EQ(readText(bundle.calls()), calls);

    auto other = ProgramRun::of(bundle.helper("launchctl"),
                                {"asuser", std::to_string(::getuid() + 1), "/usr/bin/shortcuts", "run", "x"});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.errors.find("Not permitted"), std::string::npos);
    EXPECT_EQ(readText(bundle.calls()), calls) << "another user's command ran";
}

TEST_F(StandInProgramsTest, OsascriptRunsTheCommandOnceUnescapedThroughARealShell) {
    environment.set("QUILLSTONE_PKEXEC", (fixtures / "fake-pkexec").string());
    HelperAdministratorScript script(helpers / "osascript");
    for (const std::string name : {"It's here", "say \"hi\"", "back\\slash", "two  spaces", "all 'of' \"it\" \\"}) {
        auto target = folder / name / "BackupMonitor.sh";
        writeText(target, "");
        auto quoted = shellQuoted(target.string());
        auto command = "/bin/chmod 700 " + quoted + " && /bin/chmod 750 " + quoted;
        EXPECT_NO_THROW(script.run(administratorScript(command))) << name;
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0750u) << name;
    }
}

TEST_F(StandInProgramsTest, OsascriptRefusesOtherScriptsAndNeedsPkexecOnlyWhenNotRoot) {
    environment.set("QUILLSTONE_PKEXEC", (fixtures / "fake-pkexec").string());
    auto other = ProgramRun::of(helpers / "osascript", {"-e", "display dialog \"hello\""});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.errors.find("only -e 'do shell script"), std::string::npos);

    environment.set("QUILLSTONE_PKEXEC", (folder / "no-pkexec").string());
    auto missing = ProgramRun::of(helpers / "osascript", {"-e", administratorScript("true")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.errors.find("pkexec is not installed"), std::string::npos);

    // Root needs no pkexec: the command runs directly.
    if (::geteuid() == 0) {
        environment.clear("QUILLSTONE_PKEXEC");
        auto direct = ProgramRun::of(helpers / "osascript", {"-e", administratorScript("id -u")});
        EXPECT_EQ(direct.status, 0) << direct.errors;
        EXPECT_EQ(direct.output, "0\n");
    }
}

TEST_F(StandInProgramsTest, TheAdministratorScriptReportsTheCommandsOwnFailure) {
    environment.set("QUILLSTONE_PKEXEC", (fixtures / "fake-pkexec").string());
    HelperAdministratorScript script(helpers / "osascript");
    for (auto [command, message] : {std::pair<std::string, std::string>{"echo \"  it went wrong  \" >&2; exit 3",
                                                                        "it went wrong"},
                                    {"exit 1", AdministratorScriptError::unknownFailureText}}) {
        try {
            script.run(administratorScript(command));
            ADD_FAILURE() << "a failing command was reported as success: " << command;
        } catch (const AdministratorScriptError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
    EXPECT_THROW(HelperAdministratorScript(folder / "no-osascript").run(administratorScript("true")),
                 ProcessLaunchError);
}

TEST_F(StandInProgramsTest, OpenStartsTheBundleExecutableDetached) {
    auto bundle = folder / "Quillstone Status.app";
    auto pidFile = folder / "status.pid";
    writeText(bundle / "Contents/Info.plist", bundleInfoPlist("org.example.status", "quillstone-status", "1", "1"));
    makeExecutable(bundle / "Contents/MacOS/quillstone-status",
                   "#!/bin/sh\necho $$ > \"" + pidFile.string() + ".tmp\"\nmv \"" + pidFile.string() + ".tmp\" \"" +
                       pidFile.string() + "\"\nexec sleep 600\n");

    auto before = std::chrono::steady_clock::now();
    auto run = ProgramRun::of(helpers / "open", {"-g", bundle.string()});
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s); // open does not wait for the application
    ASSERT_EQ(run.status, 0) << run.errors;
    waitFor([&] { return std::filesystem::exists(pidFile); }, 5s);
    ASSERT_TRUE(std::filesystem::exists(pidFile));
    const pid_t pid = std::stoi(readText(pidFile));
    EXPECT_NE(::getsid(pid), ::getsid(0)); // out of our session: closing a terminal does not end it
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/0"), "/dev/null");
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/1"), "/dev/null");
    ::kill(pid, SIGKILL);
}

TEST_F(StandInProgramsTest, OpenHandsShortcutFilesToTheSiblingAndReportsAMissingOpener) {
    ThrowawayBundle bundle(folder.path());
    auto shortcut = folder / "Quillstone SuperDuper Details.shortcut";
    writeText(shortcut, "#!/bin/sh\n");
    auto run = ProgramRun::of(bundle.helper("open"), {shortcut.string()});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(readText(bundle.calls()), "install\n" + shortcut.string() + "\n");

    environment.set("PATH", (folder / "empty").string());
    auto url = ProgramRun::of(bundle.helper("open"), {"https://example.com/setup"});
    EXPECT_EQ(url.status, 1);
    EXPECT_EQ(url.errors, "No application can open https://example.com/setup: xdg-open is not installed.\n");
}
