#include "helpers/launchctl/Systemctl.h"

#include "platform/ChildProcess.h"

namespace quillstone {

Systemctl::Result ProcessSystemctl::run(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"--user"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    ChildProcess child(program_, all);
    child.setStandardInput(ChildProcess::Stream::null);
    child.setStandardOutput(ChildProcess::Stream::pipe);
    child.launch();
    Result result;
    result.output = child.readStandardOutputToEnd();
    child.waitUntilExit();
    bool exited = child.terminationReason() == ChildProcess::TerminationReason::exit;
    result.status = exited ? child.terminationStatus() : 128 + child.terminationStatus();
    return result;
}

bool ProcessSystemctl::answers() {
    try {
        ChildProcess child(program_, {"--user", "show-environment"});
        child.setStandardInput(ChildProcess::Stream::null);
        child.setStandardOutput(ChildProcess::Stream::null);
        child.setStandardError(ChildProcess::Stream::null);
        child.launch();
        child.waitUntilExit();
        return child.terminationReason() == ChildProcess::TerminationReason::exit && child.terminationStatus() == 0;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace quillstone
