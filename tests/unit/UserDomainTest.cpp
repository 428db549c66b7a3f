#include "platform/UserDomain.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

TEST(UserDomainTest, TheTemporaryFolderIsTmpdirOnlyWhenThatIsAnExistingFolder) {
    TemporaryFolder folder;
    writeText(folder / "file", "x");
    const std::string existing = folder.path().string();
    for (auto [tmpdir, expected] : std::vector<std::pair<std::optional<std::string>, std::string>>{
             {std::nullopt, "/tmp"}, {"", "/tmp"}, {existing, existing}, {existing + "/missing", "/tmp"},
             {existing + "/file", "/tmp"}, {"relative/folder", "/tmp"}}) {
        ScopedEnvironment environment;
        if (tmpdir) {
            environment.set("TMPDIR", *tmpdir);
        } else {
            environment.clear("TMPDIR");
        }
        EXPECT_EQ(UserDomain::fromEnvironment().temporaryDirectory, expected) << tmpdir.value_or("unset");
    }
}
