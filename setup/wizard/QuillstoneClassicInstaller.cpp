#include "setup/wizard/QuillstoneClassicInstaller.h"

#include "platform/FileError.h"
#include "platform/UnicodeText.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "setup/service/QuillstoneAdministratorCommand.h"
#include "setup/wizard/QuillstoneSetupError.h"

#include <cerrno>
#include <chrono>
#include <exception>

namespace quillstone {

namespace fs = std::filesystem;

QuillstoneClassicInstaller::QuillstoneClassicInstaller(Collaborators collaborators)
    : with_(std::move(collaborators)) {}

std::optional<fs::path> QuillstoneClassicInstaller::templateURL() const {
    fs::path candidate = with_.bundle.resource(templateResourceName);
    if (with_.fileManager.fileExists(candidate)) {
        return candidate;
    }
    return std::nullopt;
}

void QuillstoneClassicInstaller::install(const fs::path& templateFile, const fs::path& quillstoneFolder,
                                         QuillstoneIntegration integration) {
    with_.monitor.uninstallMonitorAgent();

    const fs::path logs = quillstoneFolder / logsFolderName;
    with_.fileManager.createDirectories(quillstoneFolder);
    with_.fileManager.createDirectories(logs);
    try {
        with_.fileManager.createIfMissing(logs / logFileName, "", 0644);
    } catch (const std::exception&) {
        // The script creates its log itself when it runs.
    }
    QuillstoneStatusDocument::createEmptyIfMissing(with_.fileManager, quillstoneFolder / QuillstoneStatusDocument::fileName);

    const fs::path script = quillstoneFolder / scriptName;
    if (with_.fileManager.fileExists(script)) {
        moveAsideExistingScript(script, quillstoneFolder);
    }

    const std::string scriptTemplate = with_.fileManager.readFile(templateFile);
    if (!isValidUtf8(scriptTemplate)) {
        throw QuillstoneSetupError(QuillstoneSetupError::Code::scriptNotConfigured);
    }
    with_.fileManager.replaceAtomically(script, configuredScript(scriptTemplate, quillstoneFolder), scriptMode);
    with_.fileManager.setPermissions(script, scriptMode);

    try {
        with_.administratorScript.run(QuillstoneAdministratorCommand::appleScriptSource(privilegedCommand(script)));
    } catch (const std::exception&) {
        throw QuillstoneSetupError(QuillstoneSetupError::Code::administratorAuthorizationFailed);
    }

    with_.configurationStore.save(QuillstoneConfiguration{1, integration, quillstoneFolder.string()});
    with_.monitor.installClassicStatusHost();
}

fs::path QuillstoneClassicInstaller::datedBackupURL(const fs::path& quillstoneFolder) const {
    return datedBackupURL(quillstoneFolder, 0);
}

fs::path QuillstoneClassicInstaller::datedBackupURL(const fs::path& quillstoneFolder, long firstSuffix) const {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(with_.clock.now().time_since_epoch()).count();
    const std::string base = std::string(backupPrefix) + std::to_string(seconds);
    auto named = [&](long suffix) {
        return quillstoneFolder / (suffix == 0 ? base : base + "-" + std::to_string(suffix));
    };
    long suffix = firstSuffix;
    while (with_.fileManager.fileExists(named(suffix))) {
        ++suffix;
    }
    return named(suffix);
}

void QuillstoneClassicInstaller::moveAsideExistingScript(const fs::path& script, const fs::path& quillstoneFolder) {
    // The move never replaces anything. A name that is taken although it looked
    // free (a dangling link, a racing copy) just means trying the next one.
    constexpr long attempts = 100;
    for (long skip = 0;; ++skip) {
        try {
            with_.fileManager.moveItem(script, datedBackupURL(quillstoneFolder, skip));
            return;
        } catch (const FileError& error) {
            if (error.errorNumber() != EEXIST || skip + 1 >= attempts) {
                throw;
            }
        }
    }
}

std::string QuillstoneClassicInstaller::configuredScript(const std::string& scriptTemplate,
                                                         const fs::path& quillstoneFolder) {
    const std::string quoted = QuillstoneAdministratorCommand::shellQuoted(quillstoneFolder.string());
    const std::string marker = placeholder;
    std::string result;
    size_t from = 0;
    for (size_t found; (found = scriptTemplate.find(marker, from)) != std::string::npos; from = found + marker.size()) {
        result.append(scriptTemplate, from, found - from);
        result += quoted;
    }
    result.append(scriptTemplate, from, std::string::npos);
    if (result.find(marker) != std::string::npos) {
        throw QuillstoneSetupError(QuillstoneSetupError::Code::scriptNotConfigured);
    }
    return result;
}

std::string QuillstoneClassicInstaller::privilegedCommand(const fs::path& installedScript) {
    const std::string quoted = QuillstoneAdministratorCommand::shellQuoted(installedScript.string());
    return "/usr/sbin/chown root:wheel " + quoted + " " + "&& /bin/chmod 755 " + quoted;
}

} // namespace quillstone
