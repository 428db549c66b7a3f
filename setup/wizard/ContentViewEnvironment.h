#pragma once

#include "platform/Bundle.h"
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "setup/wizard/ContentView.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace quillstone {

// The real collaborators of the wizard for the running bundle and user. The UI
// adds its two ports (the folder panel and the application's termination).
// Build it after the application object exists and keep it alive as long as the view.
class ContentViewEnvironment {
public:
    using ChooseFolder = std::function<std::optional<std::filesystem::path>(const QuillstoneFolderChoice&)>;

    // What the environment is built over: the running bundle, the user's files, the system's places.
    struct Platform {
        Bundle bundle;
        FileManager& fileManager;
        SystemLayout layout;
        static Platform current();
    };

    explicit ContentViewEnvironment(QuillstoneConfigurationStore& configurationStore,
                                    Platform platform = Platform::current());
    ~ContentViewEnvironment();
    ContentViewEnvironment(const ContentViewEnvironment&) = delete;
    ContentViewEnvironment& operator=(const ContentViewEnvironment&) = delete;

    ContentView::Collaborators collaborators(ChooseFolder chooseFolder, std::function<void()> terminate);
    // Quitting: the update check in flight ends now, not when the server answers.
    void cancelRequests();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace quillstone
