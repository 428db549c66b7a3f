#include "helpers/osascript/AdministratorCommand.h"

#include "helpers/osascript/OsascriptError.h"
#include "platform/UnicodeText.h"

namespace quillstone {

namespace {

const std::string opening = "do shell script \"";
const std::string closing = " with administrator privileges";

} // namespace

std::string AdministratorCommand::fromAppleScript(const std::string& source) {
    std::string script = trimmingWhitespace(source);
    if (script.rfind(opening, 0) != 0) {
        throw OsascriptError(OsascriptError::usageText);
    }
    std::string command;
    size_t index = opening.size();
    for (;; ++index) {
        if (index >= script.size()) {
            throw OsascriptError(OsascriptError::unterminatedText);
        }
        char character = script[index];
        if (character == '"') {
            break;
        }
        if (character != '\\') {
            command += character;
            continue;
        }
        if (++index >= script.size()) {
            throw OsascriptError(OsascriptError::unterminatedText);
        }
        switch (script[index]) {
        case '\\': command += '\\'; break;
        case '"': command += '"'; break;
        case 'n': command += '\n'; break;
        case 'r': command += '\r'; break;
        case 't': command += '\t'; break;
        default:
            throw OsascriptError(OsascriptError::unsupportedEscapePrefix + std::string(1, script[index]));
        }
    }
    if (script.substr(index + 1) != closing) {
        throw OsascriptError(OsascriptError::usageText);
    }
    return command;
}

std::vector<std::string> AdministratorCommand::invocation(const std::vector<std::string>& arguments,
                                                          const std::optional<std::string>& pkexec,
                                                          bool runsDirectly) {
    if (arguments.size() != 2 || arguments[0] != "-e") {
        throw OsascriptError(OsascriptError::usageText);
    }
    auto command = fromAppleScript(arguments[1]);
    // Root already has the rights; asking polkit would only fail without an agent.
    if (runsDirectly) {
        return {"/bin/sh", "-c", command};
    }
    if (!pkexec) {
        throw OsascriptError(OsascriptError::noPkexecText);
    }
    return {*pkexec, "/bin/sh", "-c", command};
}

} // namespace quillstone
