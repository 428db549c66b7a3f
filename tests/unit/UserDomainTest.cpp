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
    struct Case {
        std::optional<std::string> tmpdir;
        std::string expected;
    };
    for (const Case& item : {Case{std::nullopt, "/tmp"}, Case{"", "/tmp"}, Case{existing, existing},
                             Case{existing + "/missing", "/tmp"}, Case{existing + "/file", "/tmp"},
                             Case{"relative/folder", "/tmp"}}) {
        ScopedEnvironment environment;
        if (item.tmpdir) {
            environment.set("TMPDIR", *item.tmpdir);
        } else {
            environment.clear("TMPDIR");
        }
        EXPECT_EQ(UserDomain::fromEnvironment().temporaryDirectory, item.expected) << item.tmpdir.value_or("unset");
    }
}
