#pragma once

#include "platform/ChildProcess.h"
#include "support/TemporaryFolder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillstone::testing {

// A finished program: its exit status and both output streams.
struct ProgramRun {
    int status = -1;
    std::string output;
    std::string errors;

    // Runs to the end with the test process's environment; stderr goes
    // through an unlinked temporary file so neither stream can stall the child.
    static ProgramRun of(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
        std::FILE* errorFile = std::tmpfile();
        ChildProcess child(program, arguments);
        child.setStandardInput(ChildProcess::Stream::null);
        child.setStandardOutput(ChildProcess::Stream::pipe);
        child.setStandardError(ChildProcess::Stream::descriptor, ::fileno(errorFile));
        child.launch();
        ProgramRun run;
        run.output = child.readStandardOutputToEnd();
        child.waitUntilExit();
        run.status = child.terminationReason() == ChildProcess::TerminationReason::exit
                         ? child.terminationStatus()
                         : 128 + child.terminationStatus();
        run.errors = readText("/proc/self/fd/" + std::to_string(::fileno(errorFile)));
        std::fclose(errorFile);
        return run;
    }
};

} // namespace quillstone::testing
