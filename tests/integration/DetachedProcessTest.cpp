#include "platform/ChildProcess.h"
#include "platform/DetachedProcess.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

TEST(DetachedProcessTest, RunsInItsOwnSessionAndIsNotOurChildOrFailsToLaunch) {
    TemporaryFolder root;
    fs::path script = root / "report";
    fs::path report = root / "report.txt";
    // Session id, parent id and arguments, written once and moved into place.
    writeText(script, "#!/bin/sh\n"
                      "ps -o sid= -o ppid= -p $$ > \"$1.tmp\"; echo \"$2\" >> \"$1.tmp\"; mv \"$1.tmp\" \"$1\"\n");
    fs::permissions(script, fs::perms::owner_all);
    launchDetached(script, {report.string(), "with space"});

    ASSERT_TRUE(waitFor([&] { return fs::exists(report); }, std::chrono::seconds(2)));
    std::istringstream values(readText(report));
    pid_t session = 0;
    pid_t parent = 0;
    std::string argument;
    values >> session >> parent >> std::ws;
    std::getline(values, argument);
    EXPECT_NE(session, ::getsid(0));
    EXPECT_NE(parent, ::getpid());
    EXPECT_EQ(argument, "with space");

    try {
        launchDetached(root / "missing", {});
        FAIL() << "launched a missing program";
    } catch (const ProcessLaunchError& error) {
        EXPECT_EQ(error.errorNumber(), ENOENT);
    }
    writeText(root / "not-executable", "#!/bin/sh\n");
    EXPECT_THROW(launchDetached(root / "not-executable", {}), ProcessLaunchError);
}
