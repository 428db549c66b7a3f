#include "helpers/launchctl/SystemdUserUnit.h"

#include "helpers/launchctl/LaunchctlError.h"

#include <cstdio>
#include <sstream>

namespace quillstone {

namespace {

// Double-quoted value with C escapes; specifiers (%) always doubled,
// variable references ($) doubled where systemd would expand them.
std::string quoted(const std::string& text, bool doubleDollar) {
    std::string result = "\"";
    for (unsigned char character : text) {
        switch (character) {
        case '\\': result += "\\\\"; break;
        case '"': result += "\\\""; break;
        case '\n': result += "\\n"; break;
        case '\t': result += "\\t"; break;
        case '\r': result += "\\r"; break;
        case '%': result += "%%"; break;
        case '$': result += doubleDollar ? "$$" : "$"; break;
        default:
            if (character < 0x20 || character == 0x7f) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02x", character);
                result += escape;
            } else {
                result += static_cast<char>(character);
            }
        }
    }
    return result + "\"";
}

// Settings that take a bare path: absolute, no control characters, % doubled.
std::string unitPath(const std::filesystem::path& path, const char* key) {
    std::string text = path.string();
    if (!path.is_absolute()) {
        throw LaunchctlError::bootstrapFailed(std::string(key) + " must be an absolute path");
    }
    std::string result;
    for (unsigned char character : text) {
        if (character < 0x20 || character == 0x7f) {
            throw LaunchctlError::bootstrapFailed(std::string(key) + " contains a control character");
        }
        result += character == '%' ? std::string("%%") : std::string(1, static_cast<char>(character));
    }
    return result;
}

std::string seconds(std::chrono::milliseconds duration) {
    std::ostringstream text;
    text << duration.count() / 1000;
    if (duration.count() % 1000 != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03lld", static_cast<long long>(duration.count() % 1000));
        text << fraction;
    }
    return text.str() + "s";
}

std::string escapedComment(const std::string& text) {
    std::string result;
    for (char character : text) {
        result += character == '\n' ? std::string("\\n") : std::string(1, character);
    }
    return result;
}

} // namespace

std::string SystemdUserUnit::unitName(const std::string& label) {
    for (char character : label) {
        bool allowed = (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
                       (character >= '0' && character <= '9') || character == '.' || character == '-' ||
                       character == '_' || character == ':';
        if (!allowed) {
            throw LaunchctlError::bootstrapFailed("the label \"" + label + "\" cannot name a systemd unit");
        }
    }
    return label + ".service";
}

std::string SystemdUserUnit::quoteArgument(const std::string& argument) { return quoted(argument, true); }

std::string SystemdUserUnit::render(const LaunchAgentDefinition& definition, const std::string& executable,
                                    const std::filesystem::path& plistPath, const SupervisorSettings& settings) {
    using KeepAlive = LaunchAgentDefinition::KeepAlive;
    auto timing = settings.forAgent(definition);
    std::ostringstream unit;
    unit << plistMarker << escapedComment(plistPath.string()) << "\n";
    unit << "# Written by launchctl bootstrap and removed by launchctl bootout.\n";
    unit << "[Unit]\n";
    unit << "Description=" << definition.label << "\n"; // a valid unit name: no % or line breaks
    // launchd never gives up on an agent it keeps alive.
    unit << "StartLimitIntervalSec=0\n\n";

    unit << "[Service]\n";
    unit << "Type=simple\n";
    unit << "ExecStart=" << quoteArgument(executable);
    for (size_t index = 1; index < definition.programArguments.size(); ++index) {
        unit << " " << quoteArgument(definition.programArguments[index]);
    }
    unit << "\n";
    for (const auto& [name, value] : definition.environment) {
        unit << "Environment=" << quoted(name + "=" + value, false) << "\n";
    }
    if (definition.workingDirectory) {
        unit << "WorkingDirectory=" << unitPath(*definition.workingDirectory, "WorkingDirectory") << "\n";
    }
    unit << "StandardInput="
         << (definition.standardInputPath ? "file:" + unitPath(*definition.standardInputPath, "StandardInPath")
                                          : std::string("null"))
         << "\n";
    unit << "StandardOutput="
         << (definition.standardOutputPath ? "append:" + unitPath(*definition.standardOutputPath, "StandardOutPath")
                                           : std::string("null"))
         << "\n";
    unit << "StandardError="
         << (definition.standardErrorPath ? "append:" + unitPath(*definition.standardErrorPath, "StandardErrorPath")
                                          : std::string("null"))
         << "\n";
    switch (definition.keepAlive) {
    case KeepAlive::always:
        unit << "Restart=always\n";
        break;
    case KeepAlive::afterFailure:
        unit << "Restart=on-failure\n";
        break;
    case KeepAlive::never:
        unit << "Restart=no\n";
        break;
    }
    if (definition.keepAlive != KeepAlive::never) {
        unit << "RestartSec=" << seconds(timing.throttle) << "\n";
    }
    unit << "TimeoutStopSec=" << seconds(timing.exitTimeout) << "\n";
    unit << "KillMode=control-group\n\n";

    unit << "[Install]\n";
    unit << "WantedBy=default.target\n";
    return unit.str();
}

std::optional<std::filesystem::path> SystemdUserUnit::plistPathOf(const std::string& unitText) {
    std::string marker = plistMarker;
    if (unitText.rfind(marker, 0) != 0) {
        return std::nullopt;
    }
    auto end = unitText.find('\n');
    return std::filesystem::path(unitText.substr(marker.size(), end - marker.size()));
}

} // namespace quillstone
