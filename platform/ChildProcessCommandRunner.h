#pragma once

#include "platform/CommandRunner.h"

namespace quillstone {

// CommandRunner over ChildProcess: spawn, wait, report a clean exit.
class ChildProcessCommandRunner : public CommandRunner {
public:
    static ChildProcessCommandRunner& shared();
    bool run(const std::filesystem::path& tool, const std::vector<std::string>& arguments, bool silenced) override;
};

} // namespace quillstone
