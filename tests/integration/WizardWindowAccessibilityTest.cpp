// The real wizard under a private X server, read and driven the way a screen
// reader does: through the AT-SPI accessibility bus of a private session bus.
#include "platform/ChildProcess.h"
#include "support/FakeBundles.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

const fs::path builtBundle = QUILLSTONE_APP_DIR;
const fs::path treeTool = QUILLSTONE_SOURCE_DIR "/tests/fixtures/atspi-tree";

// The built programs and helpers in a bundle whose Info.plist names no update
// server, so the wizard asks nothing of the network.
fs::path makeOfflineBundle(const fs::path& folder) {
    const fs::path bundle = folder / "Quillstone.app";
    writeText(bundle / "Contents/Info.plist",
              bundleInfoPlist("com.quillstone.Quillstone-Setup", "quillstone-setup", "2.3", "40"));
    for (const char* part : {"MacOS", "Helpers", "Resources"}) {
        fs::copy(builtBundle / "Contents" / part, bundle / "Contents" / part, fs::copy_options::recursive);
    }
    return bundle;
}

} // namespace

TEST(WizardWindowAccessibilityTest, ScreenReaderFindsTheWelcomeScreenAndPressesContinue) {
    XServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    TemporaryFolder home;
    PrivateSessionBus bus;
    const fs::path bundle = makeOfflineBundle(home.path());

    ChildProcess wizard("/usr/bin/env",
                        {"-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1",
                         "DISPLAY=" + server.display(), "DBUS_SESSION_BUS_ADDRESS=" + bus.address(),
                         "HOME=" + home.path().string(), "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                         "XDG_RUNTIME_DIR=" + home.path().string(),
                         (bundle / "Contents/MacOS/quillstone-setup").string()});
    wizard.setStandardInput(ChildProcess::Stream::null);
    wizard.setStandardError(ChildProcess::Stream::null);
    wizard.launch();

    std::string tree;
    auto treeShows = [&](const std::string& line) {
        return waitFor(
            [&] {
                tree = ProgramRun::of(treeTool, {}).output;
                return tree.find(line) != std::string::npos;
            },
            std::chrono::seconds(20));
    };
    EXPECT_TRUE(treeShows("label\tStep 1 of 5\t")) << tree;
    EXPECT_NE(tree.find("label\tWelcome to Quillstone Setup\t"), std::string::npos) << tree;
    EXPECT_NE(tree.find("push button\tContinue\tenabled"), std::string::npos) << tree;
    EXPECT_NE(tree.find("push button\tBack\t"), std::string::npos) << tree;
    EXPECT_EQ(tree.find("push button\tBack\tenabled"), std::string::npos) << "Back is disabled on the first step";

    // The default action of a push button clicks it.
    EXPECT_EQ(ProgramRun::of(treeTool, {"--press", "Continue"}).status, 0);
    EXPECT_TRUE(treeShows("label\tStep 2 of 5\t")) << tree;
    EXPECT_NE(tree.find("check box\tSuperDuper! 4\tenabled,checked"), std::string::npos) << tree;

    wizard.terminate();
    wizard.waitUntilExit();
}
