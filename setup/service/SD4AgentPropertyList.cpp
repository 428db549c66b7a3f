#include "setup/service/SD4AgentPropertyList.h"

#include "platform/Plist.h"

namespace quillstone {

std::string SD4AgentPropertyList::xml() const {
    Plist root = Plist::dictionary();
    // Inserted in sorted key order, as Apple's serializer writes them.
    root.setStringDictionary("EnvironmentVariables", {{"HOME", home.string()},
                                                      {"LOGNAME", loginName},
                                                      {"PATH", searchPath},
                                                      {"USER", loginName}});
    root.setBool("KeepAlive", true);
    root.setString("Label", label);
    root.setString("LimitLoadToSessionType", sessionType);
    root.setString("ProcessType", processType);
    root.setStringArray("ProgramArguments", {executable.string(), programArgument});
    root.setBool("RunAtLoad", true);
    return root.toXml();
}

std::optional<std::string> SD4AgentPropertyList::firstProgramArgument(const std::string& bytes) {
    auto plist = Plist::parse(bytes);
    if (!plist || !plist->isDictionary()) {
        return std::nullopt;
    }
    auto arguments = plist->stringArray("ProgramArguments");
    if (!arguments || arguments->empty()) {
        return std::nullopt;
    }
    return arguments->front();
}

} // namespace quillstone
