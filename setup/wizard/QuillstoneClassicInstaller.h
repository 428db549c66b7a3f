#pragma once

#include "platform/AdministratorScript.h"
#include "platform/Bundle.h"
#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/model/QuillstoneIntegration.h"
#include "setup/wizard/QuillstoneMonitorControl.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// Installs BackupMonitor.sh into a Quillstone folder: the folder, its logs, the
// status file, the configured script owned by root, the configuration and the
// status app. Nothing done is undone after a failure.
class QuillstoneClassicInstaller {
public:
    static constexpr const char* templateResourceName = "BackupMonitor.sh";
    static constexpr const char* placeholder = "__QUILLSTONE_DIR__";
    static constexpr const char* scriptName = "BackupMonitor.sh";
    static constexpr const char* logsFolderName = "logs";
    static constexpr const char* logFileName = "BackupMonitor.log";
    static constexpr const char* backupPrefix = "BackupMonitor.sh.previous-";
    static constexpr mode_t scriptMode = 0755;

    struct Collaborators {
        FileManager& fileManager;
        AdministratorScript& administratorScript;
        const Clock& clock;
        QuillstoneConfigurationStore& configurationStore;
        QuillstoneMonitorControl& monitor;
        Bundle bundle;
    };

    explicit QuillstoneClassicInstaller(Collaborators collaborators);

    // The template among the bundle's resources; nullopt when it is missing.
    std::optional<std::filesystem::path> templateURL() const;
    // Every step after the template was found; throws QuillstoneSetupError or the step's own error.
    void install(const std::filesystem::path& templateFile, const std::filesystem::path& quillstoneFolder,
                 QuillstoneIntegration integration);

    // "BackupMonitor.sh.previous-<seconds>", else with "-1", "-2", ... the first free name.
    std::filesystem::path datedBackupURL(const std::filesystem::path& quillstoneFolder) const;
    // Every placeholder replaced by the shell-quoted folder; throws scriptNotConfigured when one is left.
    static std::string configuredScript(const std::string& scriptTemplate, const std::filesystem::path& quillstoneFolder);
    // chown root:wheel and chmod 755 of the installed script.
    static std::string privilegedCommand(const std::filesystem::path& installedScript);

private:
    std::filesystem::path datedBackupURL(const std::filesystem::path& quillstoneFolder, long firstSuffix) const;
    void moveAsideExistingScript(const std::filesystem::path& script, const std::filesystem::path& quillstoneFolder);

    Collaborators with_;
};

} // namespace quillstone
