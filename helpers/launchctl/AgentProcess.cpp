#include "helpers/launchctl/AgentProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace quillstone {

namespace {

const char* const defaultSearchPath = "/usr/bin:/bin:/usr/sbin:/sbin";

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

void check(int result, const char* what) {
    if (result != 0) {
        throw std::system_error(result, std::generic_category(), what);
    }
}

} // namespace

std::vector<std::string> AgentProcess::environment(const LaunchAgentDefinition& definition,
                                                   const std::vector<std::string>& session) {
    std::map<std::string, std::string> merged;
    for (const auto& entry : session) {
        auto equals = entry.find('=');
        if (equals != std::string::npos && equals > 0) {
            merged[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : definition.environment) {
        merged[name] = value;
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : merged) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::string AgentProcess::searchPath(const std::vector<std::string>& environment) {
    for (const auto& entry : environment) {
        if (entry.rfind("PATH=", 0) == 0) {
            return entry.substr(5);
        }
    }
    return defaultSearchPath;
}

std::optional<std::string> AgentProcess::resolveProgram(const std::string& program, const std::string& searchPath) {
    if (program.empty()) {
        return std::nullopt;
    }
    if (program.find('/') != std::string::npos) {
        if (::access(program.c_str(), X_OK) == 0) {
            return program;
        }
        return std::nullopt;
    }
    std::istringstream folders(searchPath);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

pid_t AgentProcess::spawn(const LaunchAgentDefinition& definition, const std::vector<std::string>& environment) {
    auto executable = resolveProgram(definition.programArguments.front(), searchPath(environment));
    if (!executable) {
        throw std::system_error(ENOENT, std::generic_category(), definition.programArguments.front());
    }
    SpawnSetup setup;
    auto openOrNull = [&](int target, const std::optional<std::filesystem::path>& path, int flags) {
        const char* file = path ? path->c_str() : "/dev/null";
        check(posix_spawn_file_actions_addopen(&setup.actions, target, file, path ? flags : (flags & O_ACCMODE),
                                               0644),
              "stdio");
    };
    openOrNull(STDIN_FILENO, definition.standardInputPath, O_RDONLY);
    openOrNull(STDOUT_FILENO, definition.standardOutputPath, O_WRONLY | O_CREAT | O_APPEND);
    openOrNull(STDERR_FILENO, definition.standardErrorPath, O_WRONLY | O_CREAT | O_APPEND);
    if (definition.workingDirectory) {
        check(posix_spawn_file_actions_addchdir_np(&setup.actions, definition.workingDirectory->c_str()), "chdir");
    }

    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    check(posix_spawnattr_setsigmask(&setup.attributes, &none), "sigmask");
    check(posix_spawnattr_setsigdefault(&setup.attributes, &all), "sigdefault");
    check(posix_spawnattr_setpgroup(&setup.attributes, 0), "pgroup");
    check(posix_spawnattr_setflags(&setup.attributes,
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP),
          "flags");

    std::vector<std::string> arguments = definition.programArguments;
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables = environment;
    std::vector<char*> envp;
    for (auto& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    pid_t pid = -1;
    check(posix_spawn(&pid, executable->c_str(), &setup.actions, &setup.attributes, argv.data(), envp.data()),
          executable->c_str());
    return pid;
}

} // namespace quillstone
