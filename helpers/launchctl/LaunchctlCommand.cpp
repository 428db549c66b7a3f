#include "helpers/launchctl/LaunchctlCommand.h"

#include "helpers/launchctl/LaunchctlError.h"

#include <charconv>
#include <limits>

namespace quillstone {

namespace {

unsigned parseUid(const std::string& text, const std::string& context) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end || value == std::numeric_limits<unsigned>::max()) {
        throw LaunchctlError::usage("Invalid user id \"" + text + "\" in " + context);
    }
    return value;
}

// "gui/<uid>" or, when a service is wanted, "gui/<uid>/<label>".
void parseTarget(const std::string& text, bool wantsService, LaunchctlCommand& command) {
    const std::string prefix = "gui/";
    if (text.rfind(prefix, 0) != 0) {
        throw LaunchctlError::usage("Unsupported domain in \"" + text + "\"; only gui/<uid> is available");
    }
    std::string rest = text.substr(prefix.size());
    auto slash = rest.find('/');
    std::string uid = slash == std::string::npos ? rest : rest.substr(0, slash);
    command.uid = parseUid(uid, text);
    if (wantsService) {
        if (slash == std::string::npos || slash + 1 == rest.size()) {
            throw LaunchctlError::usage("Expected a service target gui/<uid>/<label>, got \"" + text + "\"");
        }
        command.label = rest.substr(slash + 1);
        if (command.label.find('/') != std::string::npos || command.label == "." || command.label == "..") {
            throw LaunchctlError::usage("Invalid service label in \"" + text + "\"");
        }
    } else if (slash != std::string::npos) {
        throw LaunchctlError::usage("Expected a domain target gui/<uid>, got \"" + text + "\"");
    }
}

void expectCount(const std::vector<std::string>& arguments, size_t count) {
    if (arguments.size() != count) {
        throw LaunchctlError::usage("Wrong number of arguments for " + arguments.front());
    }
}

} // namespace

LaunchctlCommand LaunchctlCommand::parse(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        throw LaunchctlError::usage("No subcommand given");
    }
    LaunchctlCommand command;
    const std::string& verb = arguments.front();
    if (verb == "bootstrap") {
        command.verb = Verb::bootstrap;
        expectCount(arguments, 3);
        parseTarget(arguments[1], false, command);
        command.plistPath = arguments[2];
    } else if (verb == "bootout") {
        command.verb = Verb::bootout;
        if (arguments.size() == 3) {
            parseTarget(arguments[1], false, command);
            command.plistPath = arguments[2];
        } else {
            expectCount(arguments, 2);
            parseTarget(arguments[1], true, command);
        }
    } else if (verb == "enable" || verb == "print") {
        command.verb = verb == "enable" ? Verb::enable : Verb::print;
        expectCount(arguments, 2);
        parseTarget(arguments[1], true, command);
    } else if (verb == "kickstart") {
        command.verb = Verb::kickstart;
        size_t index = 1;
        for (; index < arguments.size() && arguments[index].size() > 1 && arguments[index][0] == '-'; ++index) {
            if (arguments[index] != "-k") {
                throw LaunchctlError::usage("Unsupported kickstart option \"" + arguments[index] + "\"");
            }
            command.killFirst = true;
        }
        if (index + 1 != arguments.size()) {
            throw LaunchctlError::usage("Wrong number of arguments for kickstart");
        }
        parseTarget(arguments[index], true, command);
    } else if (verb == "asuser") {
        command.verb = Verb::asuser;
        if (arguments.size() < 3) {
            throw LaunchctlError::usage("asuser needs a user id and a command");
        }
        command.uid = parseUid(arguments[1], "asuser");
        command.command.assign(arguments.begin() + 2, arguments.end());
    } else {
        throw LaunchctlError::usage("Unrecognized subcommand: " + verb);
    }
    return command;
}

} // namespace quillstone
