#include "setup/wizard/QuillstoneBundledShortcutBridge.h"
#include "setup/wizard/QuillstoneShortcutBridgeError.h"
#include "setup/wizard/QuillstoneShortcutList.h"
#include "support/WizardFakes.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

constexpr const char* name = "Quillstone SuperDuper Details";

TEST(QuillstoneShortcutList, FindsTheExactNameOnAnyLineBreakAndTrimsOnlyBlanks) {
    for (const auto& [output, found] : std::vector<std::pair<std::string, bool>>{
             {"Other\nQuillstone SuperDuper Details\n", true},
             {"  \tQuillstone SuperDuper Details \t", true},
             {"Other\r\nQuillstone SuperDuper Details\r\nMore\r\n", true},
             {"a\vQuillstone SuperDuper Details\fb", true},
             {"a\u2028Quillstone SuperDuper Details\u2029b\u0085", true},
             {"\u00a0\u3000Quillstone SuperDuper Details\u2003", true}, // space separators
             {"quillstone superduper details\n", false},
             {"Quillstone SuperDuper Details 2\nMy Quillstone SuperDuper Details\n", false},
             {"Quillstone SuperDuper\u200bDetails\n", false}, // a format character is not a blank
             {"", false},
             {"Quillstone SuperDuper Details\n\xff\n", false}, // not UTF-8 at all
         }) {
        EXPECT_EQ(QuillstoneShortcutList::contains(output, name), found) << output;
    }
}

class BundledShortcut : public ::testing::Test {
protected:
    using BridgeErrorCode = QuillstoneShortcutBridgeError::Code;
    TemporaryFolder root;
    fs::path bundle = root / "Quillstone.app";
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
    ScriptedWorkspace workspace;
    QuillstoneProcessRegistry registry{root.path()};
    QuillstoneBundledShortcutBridge bridge{registry, root / "missing-shortcuts", Bundle(bundle), files, workspace};

    std::optional<BridgeErrorCode> openFailure() {
        try {
            bridge.openShortcutInstaller();
            return std::nullopt;
        } catch (const QuillstoneShortcutBridgeError& error) {
            return error.code();
        }
    }
};

TEST_F(BundledShortcut, OpensTheResourceFromEitherPlaceThroughTheWorkspace) {
    EXPECT_EQ(openFailure(), QuillstoneShortcutBridgeError::Code::missingBundledShortcut);

    const fs::path nested = bundle / "Contents/Resources/Resources/Quillstone SuperDuper Details.shortcut";
    writeText(nested, "shortcut");
    EXPECT_EQ(openFailure(), std::nullopt);
    const fs::path direct = bundle / "Contents/Resources/Quillstone SuperDuper Details.shortcut";
    writeText(direct, "shortcut");
    workspace.opens = false;
    EXPECT_EQ(openFailure(), QuillstoneShortcutBridgeError::Code::couldNotOpenShortcut);
    EXPECT_EQ(workspace.opened, (std::vector<std::string>{nested.string(), direct.string()}));
}

} // namespace
