#include "platform/XdgAutostartLoginItemService.h"
#include "support/ProgramRun.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

void expectClean(const std::filesystem::path& validator, const std::vector<std::string>& arguments) {
    ProgramRun run = ProgramRun::of(validator, arguments);
    EXPECT_EQ(run.status, 0) << run.output << run.errors;
    // desktop-file-validate prints only findings; appstreamcli tolerates infos only.
    const std::string all = run.output + run.errors;
    for (const char* finding : {"error", "warning", "hint", "\nE:", "\nW:"}) {
        EXPECT_EQ(("\n" + all).find(finding), std::string::npos) << all;
    }
}

} // namespace

// What a desktop and a software centre read: the menu entry and the metainfo
// as installed, and the status app's autostart entry as the login item writes
// it, each through the distribution's own validator.
TEST(DesktopMetadataTest, InstalledMenuEntryMetainfoAndStatusAppAutostartEntryValidate) {
    TemporaryFolder prefix;
    // A prefix with a space and a quote, as the Exec quoting must survive.
    const auto installed = prefix.path() / "My \"Apps\"";
    ProgramRun install =
        ProgramRun::of(QUILLSTONE_CMAKE_COMMAND, {"--install", QUILLSTONE_BUILD_DIR, "--prefix",
                                                  installed.string(), "--component", "desktop"});
    ASSERT_EQ(install.status, 0) << install.output << install.errors;

    const auto menuEntry = installed / "share/applications/com.quillstone.Quillstone-Setup.desktop";
    const auto autostartEntry = prefix.path() / "com.quillstone.Quillstone-Setup.Status.desktop";
    writeText(autostartEntry,
              XdgAutostartLoginItemService::desktopEntry(
                  "Quillstone Status", installed / "Quillstone.app/Contents/Library/LoginItems/"
                                                   "Quillstone Status.app/Contents/MacOS/quillstone-status"));
    expectClean("/usr/bin/desktop-file-validate", {menuEntry.string(), autostartEntry.string()});

    const auto metainfo = installed / "share/metainfo/com.quillstone.Quillstone-Setup.metainfo.xml";
    expectClean("/usr/bin/appstreamcli", {"validate", "--no-net", metainfo.string()});
    const std::string text = readText(metainfo);
    for (const char* part : {"<launchable type=\"desktop-id\">com.quillstone.Quillstone-Setup.desktop</launchable>",
                             "<metadata_license>", "<content_rating", "quillstone-setup.png", "quillstone-status.png"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
}
