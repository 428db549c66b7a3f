#pragma once

#include "platform/Bundle.h"
#include "platform/CommandRunner.h"
#include "platform/FileManager.h"
#include "platform/LoginItemService.h"
#include "platform/RunningApplications.h"
#include "platform/Sleeper.h"

#include <chrono>
#include <filesystem>
#include <set>

namespace quillstone {

// Quillstone Status as a login item: registers it, makes sure it runs
// afterwards, unregisters it. Blocks the calling thread while it waits.
class QuillstoneStatusHost {
public:
    static constexpr const char* bundleIdentifier = "com.quillstone.Quillstone-Setup.Status";
    static constexpr const char* embeddedBundleName = "Quillstone Status.app";
    static constexpr const char* openInBackgroundArgument = "-g";
    static constexpr std::chrono::milliseconds launchTimeout{2000};
    static constexpr std::chrono::milliseconds pollInterval{100};

    struct Collaborators {
        LoginItemService& loginItems;
        RunningApplications& runningApplications;
        CommandRunner& commandRunner;
        Sleeper& sleeper;
        FileManager& fileManager;
        Bundle mainBundle;
        std::filesystem::path openTool;
    };

    explicit QuillstoneStatusHost(Collaborators collaborators);

    std::filesystem::path embeddedBundleURL() const;

    // Restarts the status app through the login item; opens it directly when
    // the system does not start it in time.
    void registerStatusHost();
    void unregisterStatusHost();
    bool isStatusHostInstalled();
    void openStatusAppDirectly();
    bool waitForStatusApp(std::chrono::milliseconds timeout);
    void forceTerminateStatusApps();

private:
    bool isStatusAppRunning();

    Collaborators with_;
    // Killed instances may linger for a moment; they never count as running.
    std::set<pid_t> terminated_;
};

} // namespace quillstone
