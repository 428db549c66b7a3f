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

TEST(SD4AgentPropertyListTest, WritesExactlyTheSevenKeysAsXml) {
    EXPECT_EQ(monitor.xml(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
              "<plist version=\"1.0\">\n"
              "<dict>\n"
              "\t<key>EnvironmentVariables</key>\n"
              "\t<dict>\n"
              "\t\t<key>HOME</key>\n"
              "\t\t<string>/Users/anna</string>\n"
              "\t\t<key>LOGNAME</key>\n"
              "\t\t<string>anna</string>\n"
              "\t\t<key>PATH</key>\n"
              "\t\t<string>/usr/bin:/bin:/usr/sbin:/sbin</string>\n"
              "\t\t<key>USER</key>\n"
              "\t\t<string>anna</string>\n"
              "\t</dict>\n"
              "\t<key>KeepAlive</key>\n"
              "\t<true/>\n"
              "\t<key>Label</key>\n"
              "\t<string>com.quillstone.monitor</string>\n"
              "\t<key>LimitLoadToSessionType</key>\n"
              "\t<string>Aqua</string>\n"
              "\t<key>ProcessType</key>\n"
              "\t<string>Background</string>\n"
              "\t<key>ProgramArguments</key>\n"
              "\t<array>\n"
              "\t\t<string>/Applications/Quillstone.app/Contents/MacOS/quillstone-setup</string>\n"
              "\t\t<string>--quillstone-sd4-monitor</string>\n"
              "\t</array>\n"
              "\t<key>RunAtLoad</key>\n"
              "\t<true/>\n"
              "</dict>\n"
              "</plist>\n");
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
