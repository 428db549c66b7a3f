#include "helpers/open/Opener.h"

#include "platform/Bundle.h"

#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

Opener::Opener(DetachedLauncher& launcher, RunAndWait runAndWait, FindProgram findProgram, fs::path helpersFolder,
               std::ostream& errors)
    : launcher_(launcher), runAndWait_(std::move(runAndWait)), findProgram_(std::move(findProgram)),
      helpersFolder_(std::move(helpersFolder)), errors_(errors) {}

int Opener::fail(const std::string& message) {
    errors_ << message << '\n';
    return failureStatus;
}

int Opener::run(const std::vector<std::string>& arguments) {
    std::vector<OpenTarget> targets;
    bool optionsEnded = false;
    for (const auto& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "-g") {
            // Nothing here raises a window on launch, so background is the only way.
        } else if (!optionsEnded && argument == "-n") {
            // Every launch here is a new instance; an application that wants to be
            // the only one sees to that itself, as the setup wizard does.
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            return fail("Unsupported option " + argument + "\n" + usageText);
        } else {
            targets.push_back(OpenTarget::classify(argument));
        }
    }
    if (targets.empty()) {
        return fail(usageText);
    }
    int status = 0;
    for (const auto& target : targets) {
        int result = open(target);
        if (status == 0) {
            status = result;
        }
    }
    return status;
}

int Opener::open(const OpenTarget& target) {
    if (target.kind != OpenTarget::Kind::url) {
        std::error_code error;
        if (!fs::exists(target.text, error)) {
            return fail(missingFilePrefix + fs::absolute(target.text, error).string() + missingFileSuffix);
        }
    }
    switch (target.kind) {
    case OpenTarget::Kind::application:
        return openApplication(fs::absolute(target.text));
    case OpenTarget::Kind::shortcut:
        return runTool(helpersFolder_ / "shortcuts", {"install", fs::absolute(target.text).string()});
    case OpenTarget::Kind::url:
    case OpenTarget::Kind::file: {
        auto opener = findProgram_(desktopOpener);
        if (!opener) {
            return fail(noOpenerPrefix + target.text + noOpenerSuffix);
        }
        return runTool(*opener, {target.text});
    }
    }
    return failureStatus;
}

int Opener::openApplication(const fs::path& bundlePath) {
    auto executable = Bundle(bundlePath).executable();
    if (::access(executable.c_str(), X_OK) != 0) {
        return fail(launchFailedPrefix + bundlePath.string() + ": no executable at " + executable.string());
    }
    try {
        launcher_.launch(executable, {});
    } catch (const std::exception& error) {
        return fail(launchFailedPrefix + bundlePath.string() + ": " + error.what());
    }
    return 0;
}

int Opener::runTool(const fs::path& program, const std::vector<std::string>& arguments) {
    try {
        return runAndWait_(program, arguments);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}

} // namespace quillstone
