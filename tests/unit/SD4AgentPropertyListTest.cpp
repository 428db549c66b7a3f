#include "platform/Plist.h"
#include "setup/service/SD4AgentPropertyList.h"

#include <gtest/gtest.h>

using namespace quillstone;

namespace {
const SD4AgentPropertyList monitor{"com.quillstone.monitor",
                                   "/Applications/Quillstone.app/Contents/MacOS/quillstone-setup",
                                   "--quillstone-sd4-monitor",
                                   "Background",
                                   "/Users/anna",
                                   "anna"};
} // namespace

// Label, arguments, KeepAlive, RunAtLoad, PATH and LOGNAME: LaunchAgentDefinitionTest reads them back.
TEST(SD4AgentPropertyListTest, WritesExactlyTheSevenKeysInSortedOrderAsXml) {
    const std::string xml = monitor.xml();
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC ", 0), 0u);
    auto plist = Plist::parse(xml);
    ASSERT_TRUE(plist);
    const std::vector<std::string> sortedKeys{"EnvironmentVariables",   "KeepAlive",   "Label",
                                              "LimitLoadToSessionType", "ProcessType", "ProgramArguments",
                                              "RunAtLoad"};
    EXPECT_EQ(plist->keys(), sortedKeys);
    EXPECT_EQ(plist->stringDictionary("EnvironmentVariables"),
              (std::map<std::string, std::string>{{"HOME", "/Users/anna"},
                                                  {"LOGNAME", "anna"},
                                                  {"PATH", "/usr/bin:/bin:/usr/sbin:/sbin"},
                                                  {"USER", "anna"}}));
    EXPECT_EQ(plist->string("LimitLoadToSessionType"), "Aqua");
    EXPECT_EQ(plist->string("ProcessType"), "Background");
}

TEST(SD4AgentPropertyListTest, MarkupInPathsAndNamesIsEscapedAndTheFirstArgumentReadBack) {
    auto odd = monitor;
    odd.executable = "/Users/a&b/<Apps>/Quillstone.app/Contents/MacOS/quillstone-setup";
    odd.loginName = "o'neil";
    EXPECT_EQ(SD4AgentPropertyList::firstProgramArgument(odd.xml()), odd.executable.string());
    EXPECT_EQ(Plist::parse(odd.xml())->stringDictionary("EnvironmentVariables")->at("USER"), "o'neil");
}

TEST(SD4AgentPropertyListTest, FirstProgramArgumentNeedsANonEmptyStringArray) {
    auto wrap = [](const std::string& body) {
        return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + body + "</plist>";
    };
    for (const std::string& bytes : {
             wrap("<dict><key>ProgramArguments</key><array/></dict>"),
             wrap("<dict><key>ProgramArguments</key><array><integer>1</integer></array></dict>"),
             wrap("<dict><key>ProgramArguments</key><string>/x</string></dict>"),
             wrap("<array><string>/x</string></array>"),
             wrap("<dict><key>Label</key><string>com.quillstone.monitor</string></dict>"),
             std::string("not a property list"),
         }) {
        EXPECT_FALSE(SD4AgentPropertyList::firstProgramArgument(bytes)) << bytes;
    }
}
