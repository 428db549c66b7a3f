#include "setup/service/QuillstoneAdministratorCommand.h"

namespace quillstone {

std::string QuillstoneAdministratorCommand::shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char character : text) {
        if (character == '\'') {
            quoted += "'\\''";
        } else {
            quoted += character;
        }
    }
    return quoted + "'";
}

std::string QuillstoneAdministratorCommand::appleScriptEscaped(const std::string& command) {
    std::string escaped;
    escaped.reserve(command.size());
    for (char character : command) {
        if (character == '\\') {
            escaped += "\\\\";
        } else if (character == '"') {
            escaped += "\\\"";
        } else {
            escaped += character;
        }
    }
    return escaped;
}

std::string QuillstoneAdministratorCommand::appleScriptSource(const std::string& command) {
    return std::string(scriptPrefix) + "\"" + appleScriptEscaped(command) + "\" " + scriptSuffix;
}

} // namespace quillstone
