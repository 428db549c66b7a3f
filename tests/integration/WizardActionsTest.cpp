// The wizard's actions against real programs: a recording osascript with a real
// /bin/sh behind it, and scripted shortcuts tools.
#include "platform/ChildProcess.h"
#include "platform/HelperAdministratorScript.h"
#include "setup/wizard/QuillstoneBundledShortcutBridge.h"
#include "support/ScopedEnvironment.h"
#include "support/ToolRecorders.h"
#include "support/WizardFakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

class ClassicQuoting : public WizardStateTest {
protected:
    ClassicQuoting() {
        writeText(bundle / "Contents/Resources/BackupMonitor.sh",
                  "#!/bin/sh\nQUILLSTONE_DIR=__QUILLSTONE_DIR__\nprintf ran > \"$QUILLSTONE_DIR/ran.txt\"\n");
        writeToolRecorders(root / "recorders", root / "calls.log");
        environment.set("QUILLSTONE_RECORDERS", (root / "recorders").string());
        administratorScript = &osascript;
    }

    ScopedEnvironment environment;
    HelperAdministratorScript osascript{fixtures / "recording-osascript"};
};

TEST_F(ClassicQuoting, AnOddFolderReachesTheShellToolsAndTheScriptAsOneWord) {
    const fs::path parent = root / "It's \"odd\" \\ $(echo split) dir";
    const fs::path script = parent / "Quillstone/BackupMonitor.sh";
    storeConfiguration(QuillstoneIntegration::classic, parent / "Quillstone");
    auto& view = start();
    view.installClassicMonitor();
    ASSERT_TRUE(view.installationSucceeded()) << view.installationMessage();

    EXPECT_EQ(readText(root / "calls.log"),
              "chown\n[root:wheel]\n[" + script.string() + "]\nchmod\n[755]\n[" + script.string() + "]\n");
    ChildProcess run("/bin/sh", {script.string()});
    run.launch();
    run.waitUntilExit();
    EXPECT_EQ(run.terminationStatus(), 0);
    EXPECT_EQ(readText(parent / "Quillstone/ran.txt"), "ran");
}

TEST(ShortcutPresence, OnlyACleanExitWithTheNameInUtf8Counts) {
    TemporaryFolder root;
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
    ScriptedWorkspace workspace;
    QuillstoneProcessRegistry registry(root.path());
    for (auto [script, installed] :
         {std::pair{"printf 'Other\\r\\n\\tQuillstone SuperDuper Details \\r\\n'", true},
          std::pair{"printf 'Quillstone SuperDuper Details\\n'; exit 1", false},
          std::pair{"printf 'Quillstone SuperDuper Details\\n' >&2", false}}) {
        const fs::path tool = root / "shortcuts";
        writeText(tool, std::string("#!/bin/sh\n[ \"$*\" = list ] || exit 64\n") + script + "\n");
        fs::permissions(tool, fs::perms::owner_all);
        QuillstoneBundledShortcutBridge bridge(registry, tool, Bundle(root / "Quillstone.app"), files, workspace);
        EXPECT_EQ(bridge.isShortcutInstalled(), installed) << script;
    }
    EXPECT_EQ(registry.temporaryDirectoryCount(), 0u);
}

} // namespace
