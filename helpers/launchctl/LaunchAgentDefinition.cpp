#include "helpers/launchctl/LaunchAgentDefinition.h"

#include "helpers/launchctl/LaunchctlError.h"
#include "platform/Plist.h"

namespace quillstone {

namespace {

std::optional<std::filesystem::path> pathValue(const Plist& plist, const char* key) {
    if (!plist.contains(key)) {
        return std::nullopt;
    }
    auto value = plist.string(key);
    if (!value || value->empty()) {
        throw LaunchctlError::bootstrapFailed(std::string(key) + " must be a non-empty string");
    }
    return std::filesystem::path(*value);
}

std::optional<std::chrono::seconds> secondsValue(const Plist& plist, const char* key) {
    if (!plist.contains(key)) {
        return std::nullopt;
    }
    auto value = plist.unsignedInteger(key);
    if (!value || *value > 86400) {
        throw LaunchctlError::bootstrapFailed(std::string(key) + " must be a whole number of seconds");
    }
    return std::chrono::seconds(*value);
}

bool booleanValue(const Plist& plist, const char* key) {
    if (!plist.contains(key)) {
        return false;
    }
    auto value = plist.boolean(key);
    if (!value) {
        throw LaunchctlError::bootstrapFailed(std::string(key) + " must be a boolean");
    }
    return *value;
}

LaunchAgentDefinition::KeepAlive keepAliveValue(const Plist& plist) {
    using KeepAlive = LaunchAgentDefinition::KeepAlive;
    if (!plist.contains("KeepAlive")) {
        return KeepAlive::never;
    }
    if (auto flag = plist.boolean("KeepAlive")) {
        return *flag ? KeepAlive::always : KeepAlive::never;
    }
    auto conditions = plist.dictionaryValue("KeepAlive");
    if (!conditions) {
        throw LaunchctlError::bootstrapFailed("KeepAlive must be a boolean or a dictionary");
    }
    // SuccessfulExit = false: restart only after a failure. Other conditions
    // (network state, paths) cannot be watched here; they keep the agent alive.
    auto successfulExit = conditions->boolean("SuccessfulExit");
    if (successfulExit && !*successfulExit) {
        return KeepAlive::afterFailure;
    }
    return KeepAlive::always;
}

} // namespace

LaunchAgentDefinition LaunchAgentDefinition::fromPropertyList(const std::string& bytes) {
    auto plist = Plist::parse(bytes);
    if (!plist || !plist->isDictionary()) {
        throw LaunchctlError::bootstrapFailed("not a property list dictionary");
    }
    LaunchAgentDefinition definition;
    auto label = plist->string("Label");
    if (!label || label->empty() || label->find('/') != std::string::npos || *label == "." || *label == "..") {
        throw LaunchctlError::bootstrapFailed("Label is missing or invalid");
    }
    definition.label = *label;

    if (plist->contains("ProgramArguments")) {
        auto arguments = plist->stringArray("ProgramArguments");
        if (!arguments || arguments->empty()) {
            throw LaunchctlError::bootstrapFailed("ProgramArguments must be a non-empty array of strings");
        }
        definition.programArguments = *arguments;
    }
    if (plist->contains("Program")) {
        auto program = plist->string("Program");
        if (!program || program->empty()) {
            throw LaunchctlError::bootstrapFailed("Program must be a non-empty string");
        }
        // Program names the executable; ProgramArguments is then its argv.
        if (definition.programArguments.empty()) {
            definition.programArguments.push_back(*program);
        } else {
            definition.programArguments.front() = *program;
        }
    }
    if (definition.programArguments.empty()) {
        throw LaunchctlError::bootstrapFailed("neither Program nor ProgramArguments is given");
    }
    for (const auto& argument : definition.programArguments) {
        if (argument.find('\0') != std::string::npos) {
            throw LaunchctlError::bootstrapFailed("an argument contains a NUL character");
        }
    }

    definition.runAtLoad = booleanValue(*plist, "RunAtLoad");
    definition.keepAlive = keepAliveValue(*plist);
    if (plist->contains("EnvironmentVariables")) {
        auto environment = plist->stringDictionary("EnvironmentVariables");
        if (!environment) {
            throw LaunchctlError::bootstrapFailed("EnvironmentVariables must map names to strings");
        }
        for (const auto& [name, value] : *environment) {
            bool valid = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
            for (char character : name) {
                valid = valid && (character == '_' || (character >= 'A' && character <= 'Z') ||
                                  (character >= 'a' && character <= 'z') || (character >= '0' && character <= '9'));
            }
            if (!valid) {
                throw LaunchctlError::bootstrapFailed("invalid environment variable name \"" + name + "\"");
            }
        }
        definition.environment = *environment;
    }
    definition.workingDirectory = pathValue(*plist, "WorkingDirectory");
    definition.standardInputPath = pathValue(*plist, "StandardInPath");
    definition.standardOutputPath = pathValue(*plist, "StandardOutPath");
    definition.standardErrorPath = pathValue(*plist, "StandardErrorPath");
    definition.throttleInterval = secondsValue(*plist, "ThrottleInterval");
    definition.exitTimeout = secondsValue(*plist, "ExitTimeOut");
    return definition;
}

} // namespace quillstone
