#include "helpers/osascript/AdministratorCommand.h"
#include "helpers/osascript/OsascriptError.h"
#include "setup/service/QuillstoneAdministratorCommand.h"

#include <gtest/gtest.h>

using namespace quillstone;

namespace {

// The writer's side is the wizard's own, so both ends must agree.
constexpr auto appleScriptFor = &QuillstoneAdministratorCommand::appleScriptSource;

std::string refusal(const std::string& source) {
    try {
        AdministratorCommand::fromAppleScript(source);
    } catch (const OsascriptError& error) {
        return error.what();
    }
    return "";
}

} // namespace

// Quotes and backslashes in real paths go through the helper program in the stand-in tests.
TEST(AdministratorCommand, UnescapesExactlyOnce) {
    for (const std::string& command : {std::string("echo '\\n stays a backslash and n'"), std::string("")}) {
        EXPECT_EQ(AdministratorCommand::fromAppleScript(appleScriptFor(command)), command);
    }
    EXPECT_EQ(AdministratorCommand::fromAppleScript("do shell script \"a\\nb\\tc\" with administrator privileges"),
              "a\nb\tc");
}

TEST(AdministratorCommand, RefusesEveryOtherScript) {
    EXPECT_EQ(refusal("display dialog \"hi\""), OsascriptError::usageText);
    EXPECT_EQ(refusal("do shell script \"ls\""), OsascriptError::usageText);
    EXPECT_EQ(refusal("do shell script \"ls\" with administrator privileges and more"), OsascriptError::usageText);
    EXPECT_EQ(refusal("do shell script \"a\" & \"b\" with administrator privileges"), OsascriptError::usageText);
    EXPECT_EQ(refusal("do shell script \"ls with administrator privileges"), OsascriptError::unterminatedText);
    EXPECT_EQ(refusal("do shell script \"ls\\"), OsascriptError::unterminatedText);
    EXPECT_EQ(refusal("do shell script \"\\q\" with administrator privileges"),
              std::string(OsascriptError::unsupportedEscapePrefix) + "q");
}

TEST(AdministratorCommand, RunsTheCommandThroughAShellDirectlyAsRootElseThroughPkexec) {
    auto source = appleScriptFor("/bin/chmod 755 'x y'");
    const std::optional<std::string> pkexec("/usr/bin/pkexec");
    EXPECT_EQ(AdministratorCommand::invocation({"-e", source}, pkexec, false),
              (std::vector<std::string>{"/usr/bin/pkexec", "/bin/sh", "-c", "/bin/chmod 755 'x y'"}));
    EXPECT_EQ(AdministratorCommand::invocation({"-e", source}, pkexec, true),
              (std::vector<std::string>{"/bin/sh", "-c", "/bin/chmod 755 'x y'"}));
    EXPECT_THROW(AdministratorCommand::invocation({"-e", source}, std::nullopt, false), OsascriptError);
    for (bool root : {false, true}) {
        EXPECT_THROW(AdministratorCommand::invocation({source}, pkexec, root), OsascriptError);
        EXPECT_THROW(AdministratorCommand::invocation({"-e", source, "-e", source}, pkexec, root), OsascriptError);
        EXPECT_THROW(AdministratorCommand::invocation({"-l", "JavaScript", "-e", source}, pkexec, root),
                     OsascriptError);
    }
}
