#include "helpers/launchctl/Launchctl.h"

#include "helpers/launchctl/LaunchctlCommand.h"
#include "helpers/launchctl/LaunchctlError.h"

#include <sstream>

namespace quillstone {

Launchctl::Launchctl(ServiceManagerFactory services, const FileManager& files, HelperToolMap tools, Exec exec,
                     unsigned callerUid, std::ostream& output, std::ostream& errors)
    : services_(std::move(services)), files_(files), tools_(std::move(tools)), exec_(std::move(exec)),
      callerUid_(callerUid), output_(output), errors_(errors) {}

int Launchctl::run(const std::vector<std::string>& arguments) {
    try {
        auto command = LaunchctlCommand::parse(arguments);
        if (command.uid != callerUid_) {
            throw LaunchctlError::otherUser(command.uid);
        }
        return dispatch(command);
    } catch (const LaunchctlError& error) {
        errors_ << error.what() << '\n';
        return error.status();
    } catch (const std::exception& error) {
        errors_ << error.what() << '\n';
        return LaunchctlError::ioStatus;
    }
}

int Launchctl::dispatch(const LaunchctlCommand& command) {
    using Verb = LaunchctlCommand::Verb;
    switch (command.verb) {
    case Verb::asuser: {
        auto executable = tools_.resolve(command.command.front());
        std::vector<std::string> arguments(command.command.begin() + 1, command.command.end());
        return exec_(executable, arguments);
    }
    case Verb::bootstrap: {
        std::string bytes;
        try {
            bytes = files_.readFile(command.plistPath);
        } catch (const std::exception& error) {
            throw LaunchctlError::bootstrapFailed(error.what());
        }
        auto definition = LaunchAgentDefinition::fromPropertyList(bytes);
        services_().bootstrap(definition, std::filesystem::absolute(command.plistPath));
        return 0;
    }
    case Verb::bootout:
        services_().bootout(command.label.empty() ? labelFromPlist(command.plistPath) : command.label);
        return 0;
    case Verb::enable:
        // Nothing is ever disabled here, so every service is already enabled.
        return 0;
    case Verb::print: {
        auto status = services_().status(command.label);
        if (!status) {
            throw LaunchctlError::serviceNotFound(command.label, command.uid);
        }
        output_ << describe(*status, command.uid);
        return 0;
    }
    case Verb::kickstart:
        services_().kickstart(command.label, command.killFirst);
        return 0;
    }
    return LaunchctlError::usageStatus;
}

std::string Launchctl::labelFromPlist(const std::filesystem::path& plistPath) const {
    std::string bytes;
    try {
        bytes = files_.readFile(plistPath);
    } catch (const std::exception&) {
        throw LaunchctlError(LaunchctlError::noSuchProcessStatus, LaunchctlError::bootoutFailedText);
    }
    try {
        return LaunchAgentDefinition::fromPropertyList(bytes).label;
    } catch (const LaunchctlError&) {
        throw LaunchctlError(LaunchctlError::noSuchProcessStatus, LaunchctlError::bootoutFailedText);
    }
}

std::string Launchctl::describe(const ServiceStatus& status, unsigned uid) {
    std::ostringstream text;
    text << "gui/" << uid << "/" << status.label << " = {\n";
    text << "\tactive count = " << (status.pid ? 1 : 0) << "\n";
    text << "\tpath = " << status.plistPath.string() << "\n";
    text << "\tstate = " << status.state << "\n";
    if (!status.programArguments.empty()) {
        text << "\tprogram = " << status.programArguments.front() << "\n";
        text << "\targuments = {\n";
        for (const auto& argument : status.programArguments) {
            text << "\t\t" << argument << "\n";
        }
        text << "\t}\n";
    }
    text << "\truns = " << status.runs << "\n";
    if (status.pid) {
        text << "\tpid = " << *status.pid << "\n";
    }
    if (status.lastExitStatus) {
        text << "\tlast exit code = " << *status.lastExitStatus << "\n";
    }
    text << "\tmanager = " << status.manager << "\n";
    text << "}\n";
    return text.str();
}

} // namespace quillstone
