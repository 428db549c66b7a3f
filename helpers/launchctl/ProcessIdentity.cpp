#include "helpers/launchctl/ProcessIdentity.h"

#include <fstream>
#include <sstream>

namespace quillstone {

namespace {

std::string currentBootId() {
    std::ifstream stream("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(stream, id);
    return id;
}

// Fields of /proc/<pid>/stat after the command name, which may hold blanks and parentheses.
std::optional<std::pair<char, unsigned long long>> stateAndStartTime(pid_t pid) {
    std::ifstream stream("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stream, line)) {
        return std::nullopt;
    }
    auto close = line.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(close + 1));
    char state = 0;
    fields >> state;
    std::string skipped;
    // Fields 4 to 21 come between the state (3) and the start time (22).
    for (int field = 4; field < 22; ++field) {
        fields >> skipped;
    }
    unsigned long long startTime = 0;
    if (!(fields >> startTime)) {
        return std::nullopt;
    }
    return std::make_pair(state, startTime);
}

} // namespace

std::optional<ProcessIdentity> ProcessIdentity::of(pid_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    auto fields = stateAndStartTime(pid);
    if (!fields || fields->first == 'Z' || fields->first == 'X') {
        return std::nullopt;
    }
    return ProcessIdentity{pid, fields->second, currentBootId()};
}

std::optional<ProcessIdentity> ProcessIdentity::decode(const std::string& text) {
    std::istringstream fields(text);
    ProcessIdentity identity;
    if (!(fields >> identity.pid >> identity.startTime >> identity.bootId) || identity.pid <= 0) {
        return std::nullopt;
    }
    return identity;
}

std::string ProcessIdentity::encode() const {
    return std::to_string(pid) + " " + std::to_string(startTime) + " " + bootId + "\n";
}

bool ProcessIdentity::isAlive() const {
    auto now = of(pid);
    return now && *now == *this;
}

} // namespace quillstone
