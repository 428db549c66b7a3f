#include "helpers/launchctl/SupervisorSettings.h"

#include <cmath>
#include <cstdlib>

namespace quillstone {

namespace {

void override(std::chrono::milliseconds& value, const char* variable) {
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0') {
        return;
    }
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    if (end != nullptr && *end == '\0' && std::isfinite(seconds) && seconds >= 0 && seconds <= 86400) {
        value = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    }
}

} // namespace

SupervisorSettings SupervisorSettings::fromEnvironment() {
    SupervisorSettings settings;
    override(settings.throttle, "QUILLSTONE_LAUNCHD_THROTTLE");
    override(settings.exitTimeout, "QUILLSTONE_LAUNCHD_EXIT_TIMEOUT");
    return settings;
}

SupervisorSettings SupervisorSettings::forAgent(const LaunchAgentDefinition& definition) const {
    SupervisorSettings settings = *this;
    if (definition.throttleInterval) {
        settings.throttle = *definition.throttleInterval;
    }
    if (definition.exitTimeout) {
        settings.exitTimeout = *definition.exitTimeout;
    }
    return settings;
}

} // namespace quillstone
