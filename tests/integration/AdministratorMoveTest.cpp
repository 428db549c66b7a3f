#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "setup/service/QuillstoneLegacyApplicationRemover.h"
#include "setup/service/QuillstoneUpgradeError.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* setupID = "com.quillstone.Quillstone-Setup";
constexpr std::string_view prefix = "do shell script \"";
constexpr std::string_view suffix = "\" with administrator privileges";

// Stands in for osascript: accepts only the administrator form, undoes the
// AppleScript escaping once and hands the command to a real /bin/sh. The
// macOS tool paths are pointed at recorders that log each argument and then
// run the real tool.
class ShellAdministratorScript : public AdministratorScript {
public:
    // Without a tools folder the command runs exactly as written.
    explicit ShellAdministratorScript(std::optional<fs::path> tools) : tools_(std::move(tools)) {}

    void run(const std::string& source) override {
        if (!source.starts_with(prefix) || !source.ends_with(suffix)) {
            throw std::runtime_error("not an administrator script");
        }
        std::string command = unescape(source.substr(prefix.size(), source.size() - prefix.size() - suffix.size()));
        for (auto [macOS, name] : {std::pair{"/bin/mkdir ", "mkdir"}, {"/bin/mv ", "mv"}, {"/usr/sbin/chown ", "chown"}}) {
            auto at = command.find(macOS);
            ASSERT_NE(at, std::string::npos) << command;
            if (tools_) {
                command.replace(at, std::string(macOS).size(), (*tools_ / name).string() + " ");
            }
        }
        ChildProcess shell("/bin/sh", {"-c", command});
        shell.setStandardError(ChildProcess::Stream::pipe);
        shell.launch();
        std::string error = shell.readStandardErrorToEnd();
        shell.waitUntilExit();
        if (shell.terminationStatus() != 0) {
            throw std::runtime_error(error);
        }
    }

    static std::string unescape(const std::string& escaped) {
        std::string plain;
        for (size_t index = 0; index < escaped.size(); ++index) {
            if (escaped[index] == '\\' && index + 1 < escaped.size()) {
                ++index;
            }
            plain += escaped[index];
        }
        return plain;
    }

private:
    std::optional<fs::path> tools_;
};

class AdministratorMove : public ::testing::Test {
protected:
    AdministratorMove()
        : weird(root / "It's \"odd\" \\ $(not run) `nor this` *"),
          domain(UserDomain::rootedAt(weird / "home dir")),
          files(domain),
          layout(SystemLayout::rootedAt(weird, domain, SystemTools{})),
          shell(root / "tools"),
          remover(files, workspace, shell, layout, layout.applicationsFolder / "Quillstone.app",
                  QuillstoneLegacyApplicationRemover::Account::current()) {
        writeRecorder("mkdir", "/bin/mkdir");
        writeRecorder("mv", "/bin/mv");
        writeRecorder("chown", fs::exists("/usr/sbin/chown") ? "/usr/sbin/chown" : "/bin/chown");
        // The user's own Trash refuses, as for an app installed by another user.
        workspace.onRecycle = [](const auto&) { throw std::runtime_error("refused"); };
    }

    void writeRecorder(const std::string& name, const std::string& real) {
        fs::path script = root / "tools" / name;
        writeText(script, "#!/bin/sh\n{ printf '%s\\n' '" + name + "'; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } >> '" +
                              (root / "calls.log").string() + "'\nexec " + real + " \"$@\"\n");
        fs::permissions(script, fs::perms::owner_all);
    }

    std::string calls() const { return readText(root / "calls.log"); }

    std::string expectedCalls(const fs::path& source, const fs::path& destination) const {
        const std::string ids = std::to_string(::getuid()) + ":" + std::to_string(::getgid());
        return "mkdir\n[-p]\n[" + layout.trashFolder.string() + "]\nmv\n[" + source.string() + "]\n[" +
               destination.string() + "]\nchown\n[-R]\n[" + ids + "]\n[" + destination.string() + "]\n";
    }

    TemporaryFolder root;
    fs::path weird;
    UserDomain domain;
    PosixFileManager files;
    SystemLayout layout;
    ScriptedWorkspace workspace;
    ShellAdministratorScript shell;
    QuillstoneLegacyApplicationRemover remover;
};

} // namespace

TEST_F(AdministratorMove, EveryPathReachesTheToolsAsOneArgument) {
    auto source = writeApplicationBundle(layout.applicationsFolder / "It's \"x\" \\y.app", setupID, "2.2", "12");
    remover.moveToTrashWithAdministratorPrivileges(source);
    auto destination = layout.trashFolder / "It's \"x\" \\y.app";
    EXPECT_EQ(calls(), expectedCalls(source, destination));
    EXPECT_FALSE(fs::exists(source));
    EXPECT_TRUE(fs::exists(destination / "Contents" / "Info.plist"));
}

TEST_F(AdministratorMove, RepeatedRemovalsCountUpTheTrashNames) {
    const auto legacy = layout.applicationsFolder / "Quillstone Setup.app";
    for (auto name : {"Quillstone Setup.app", "Quillstone Setup 1.app", "Quillstone Setup 2.app"}) {
        writeApplicationBundle(legacy, setupID, "2.2", "12");
        fs::remove(root / "calls.log");
        remover.removeLegacyApplication(legacy);
        EXPECT_EQ(calls(), expectedCalls(legacy, layout.trashFolder / name));
        EXPECT_TRUE(fs::exists(layout.trashFolder / name / "Contents" / "Info.plist"));
    }
    EXPECT_FALSE(fs::exists(legacy));
}

TEST_F(AdministratorMove, AFailingCommandIsReportedAsAFailedRemoval) {
    const auto legacy = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup.app", setupID, "2.2", "12");
    // A file where the Trash folder should be makes mkdir -p fail.
    writeText(layout.trashFolder, "not a folder");
    try {
        remover.removeLegacyApplication(legacy);
        FAIL() << "expected a failure";
    } catch (const QuillstoneUpgradeError& error) {
        EXPECT_EQ(error.code(), QuillstoneUpgradeError::Code::legacyApplicationRemovalFailed);
    }
    EXPECT_TRUE(fs::exists(legacy / "Contents" / "Info.plist"));
}

TEST_F(AdministratorMove, TheUnchangedCommandRunsOnThisMachine) {
    ASSERT_TRUE(fs::exists("/usr/sbin/chown")) << "scripts/install-dependencies.sh provides /usr/sbin/chown";
    ShellAdministratorScript exact(std::nullopt);
    QuillstoneLegacyApplicationRemover direct(files, workspace, exact, layout, layout.applicationsFolder / "Quillstone.app",
                                              QuillstoneLegacyApplicationRemover::Account::current());
    auto legacy = writeApplicationBundle(layout.applicationsFolder / "Quillstone Setup for macOS v2.2.app", setupID,
                                         "2.1", "7");
    const std::string info = readText(legacy / "Contents" / "Info.plist");
    direct.removeLegacyApplication(legacy);
    EXPECT_FALSE(fs::exists(legacy));
    auto trashed = layout.trashFolder / "Quillstone Setup for macOS v2.2.app";
    EXPECT_EQ(readText(trashed / "Contents" / "Info.plist"), info);
    struct stat owner {};
    ASSERT_EQ(::stat(trashed.c_str(), &owner), 0);
    EXPECT_EQ(owner.st_uid, ::getuid());
}
