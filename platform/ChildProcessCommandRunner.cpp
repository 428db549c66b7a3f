#include "platform/ChildProcessCommandRunner.h"

#include "platform/ChildProcess.h"

namespace quillstone {

ChildProcessCommandRunner& ChildProcessCommandRunner::shared() {
    static ChildProcessCommandRunner runner;
    return runner;
}

bool ChildProcessCommandRunner::run(const std::filesystem::path& tool, const std::vector<std::string>& arguments,
                                    bool silenced) {
    ChildProcess process(tool, arguments);
    if (silenced) {
        process.setStandardOutput(ChildProcess::Stream::null);
        process.setStandardError(ChildProcess::Stream::null);
    }
    process.launch();
    process.waitUntilExit();
    return process.terminationReason() == ChildProcess::TerminationReason::exit && process.terminationStatus() == 0;
}

} // namespace quillstone
