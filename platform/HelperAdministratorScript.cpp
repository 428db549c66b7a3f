#include "platform/HelperAdministratorScript.h"

#include "platform/ChildProcess.h"
#include "platform/SystemTools.h"
#include "platform/UnicodeText.h"

namespace quillstone {

HelperAdministratorScript::HelperAdministratorScript() : osascript_(SystemTools::current().osascript) {}

HelperAdministratorScript::HelperAdministratorScript(std::filesystem::path osascript)
    : osascript_(std::move(osascript)) {}

void HelperAdministratorScript::run(const std::string& appleScriptSource) {
    ChildProcess child(osascript_, {"-e", appleScriptSource});
    // Standard input stays: a text-mode password agent may need the terminal.
    child.setStandardOutput(ChildProcess::Stream::null);
    child.setStandardError(ChildProcess::Stream::pipe);
    child.launch();
    std::string errors = child.readStandardErrorToEnd();
    child.waitUntilExit();
    if (child.terminationReason() == ChildProcess::TerminationReason::exit && child.terminationStatus() == 0) {
        return;
    }
    auto message = trimmingWhitespace(errors);
    throw AdministratorScriptError(message.empty() ? AdministratorScriptError::unknownFailureText : message);
}

} // namespace quillstone
