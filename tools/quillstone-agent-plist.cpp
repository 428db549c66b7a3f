// Prints the monitor's LaunchAgent property list for a given executable, as
// the wizard writes it on activation. For demonstrations and by-hand trials.
#include "platform/UserDomain.h"
#include "platform/UserIdentity.h"
#include "setup/service/SD4AgentPropertyList.h"
#include "setup/service/SD4MonitorService.h"

#include <iostream>

using namespace quillstone;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillstone-agent-plist EXECUTABLE\n";
        return 2;
    }
    try {
        SD4AgentPropertyList plist{SD4MonitorService::monitorLabel,
                                   argv[1],
                                   SD4MonitorService::monitorArgument,
                                   SD4AgentPropertyList::backgroundProcessType,
                                   UserDomain::fromEnvironment().home,
                                   UserIdentity::current().loginName};
        std::cout << plist.xml();
    } catch (const std::exception& error) {
        std::cerr << "quillstone-agent-plist: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
