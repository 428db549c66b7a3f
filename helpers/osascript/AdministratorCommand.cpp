#include "helpers/osascript/AdministratorCommand.h"

#include "helpers/osascript/OsascriptError.h"

namespace quillstone {

namespace {

const std::string opening = "do shell script \"";
const std::string closing = " with administrator privileges";

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::string AdministratorCommand::fromAppleScript(const std::string& source) {
    std::string script = trimmed(source);
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
                                                          const std::optional<std::string>& pkexec) {
    if (arguments.size() != 2 || arguments[0] != "-e") {
        throw OsascriptError(OsascriptError::usageText);
    }
    auto command = fromAppleScript(arguments[1]);
    if (!pkexec) {
        throw OsascriptError(OsascriptError::noPkexecText);
    }
    return {*pkexec, "/bin/sh", "-c", command};
}

} // namespace quillstone
