#include "setup/service/QuillstoneAdministratorCommand.h"
#include "setup/service/NumericVersionOrder.h"
#include "setup/service/QuillstoneApplicationPaths.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

using namespace quillstone;

TEST(NumericVersionOrder, DigitRunsCompareAsNumbersOfAnySizeAndLettersAsText) {
    for (auto [a, b, sign] : std::initializer_list<std::tuple<const char*, const char*, int>>{
             {"2.9", "2.10", -1}, {"9", "40", -1}, {"2.3", "2.2", 1}, {"2.3", "2.3", 0}, {"2.03", "2.3", 0},
             {"2.3", "2.3.1", -1}, {"0", "2.3", -1}, {"", "0", -1},
             {"99999999999999999999999", "100000000000000000000000", -1}, {"2.3b2", "2.3b1", 1},
             {"2.3a10", "2.3b1", -1}, {"2.3 beta 9", "2.3 beta 10", -1}}) {
        const auto order = compareVersionsNumerically(a, b);
        EXPECT_EQ((order > 0) - (order < 0), sign) << a << " against " << b;
    }
}

// A nested login item is resolved through the upgrade detector's running-host source.
TEST(ApplicationPaths, OutermostBundleIsTheFirstAppFromTheRoot) {
    EXPECT_EQ(outermostApplicationBundle("/Applications/Q.APP/"), std::filesystem::path("/Applications/Q.APP"));
    EXPECT_EQ(outermostApplicationBundle("/tmp/../Applications/./Q.app/Contents"),
              std::filesystem::path("/Applications/Q.app"));
    EXPECT_FALSE(outermostApplicationBundle("/usr/local/bin/quillstone-setup"));
    EXPECT_FALSE(outermostApplicationBundle("/"));
    EXPECT_FALSE(outermostApplicationBundle("/Applications/application"));
}

TEST(QuillstoneAdministratorCommand, QuotesForTheShellAndEscapesForAppleScript) {
    // Quotes, $() and backticks in a path reach real shells whole in the integration tests.
    EXPECT_EQ(QuillstoneAdministratorCommand::shellQuoted(""), "''");
    // Backslashes first, so the escape of a quote is not doubled again.
    EXPECT_EQ(QuillstoneAdministratorCommand::appleScriptEscaped("a\\b\"c"), "a\\\\b\\\"c");
    EXPECT_EQ(QuillstoneAdministratorCommand::appleScriptSource("/bin/echo 'x\"'"),
              "do shell script \"/bin/echo 'x\\\"'\" with administrator privileges");
}
