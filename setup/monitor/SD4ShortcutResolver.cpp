#include "setup/monitor/SD4ShortcutResolver.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/ChildProcess.h"
#include "platform/UnicodeText.h"
#include "platform/Uuid.h"

#include <csignal>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

std::string SD4ShortcutResolver::Request::encoded() const {
    nlohmann::json request = {{"version", version}, {"copy_job_id", copyJobID}, {"run_id", runID}};
    return compactJson(request);
}

SD4ShortcutResolver::SD4ShortcutResolver(FileManager& fileManager, SystemTools tools)
    : SD4ShortcutResolver(fileManager, std::move(tools), nullptr) {}

SD4ShortcutResolver::SD4ShortcutResolver(FileManager& fileManager, SystemTools tools,
                                         std::shared_ptr<ChildProcessWatcher> watcher)
    : fileManager_(fileManager), tools_(std::move(tools)), watcher_(std::move(watcher)) {}

SD4ShortcutResolver::~SD4ShortcutResolver() { cancelAll(); }

std::vector<std::string> SD4ShortcutResolver::arguments(unsigned userID, const fs::path& requestFile,
                                                        const fs::path& answerFile) {
    return {"asuser",       std::to_string(userID), shortcutsTool,       "run",
            shortcutName,   "--input-path",         requestFile.string(), "--output-path",
            answerFile.string(), "--output-type",   "public.json"};
}

std::string SD4ShortcutResolver::failureMessage(const std::string& captured) {
    std::string standardError = captured;
    if (standardError.size() >= keptErrorBytes) {
        // Back off a multi-byte character cut at the limit, at most three bytes.
        size_t end = standardError.size();
        size_t start = end;
        while (start > 0 && end - start < 4 && (static_cast<unsigned char>(standardError[start - 1]) & 0xC0) == 0x80) {
            --start;
        }
        if (start > 0 && (static_cast<unsigned char>(standardError[start - 1]) & 0xC0) == 0xC0) {
            unsigned char lead = static_cast<unsigned char>(standardError[start - 1]);
            size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (end - (start - 1) < length) {
                standardError.resize(start - 1);
            }
        }
    }
    if (!isValidUtf8(standardError)) {
        return SD4ShortcutResolverError::unknownShortcutError;
    }
    std::string message = trimmingWhitespace(standardError);
    return message.empty() ? SD4ShortcutResolverError::unknownShortcutError : message;
}

fs::path SD4ShortcutResolver::makeWorkFolder() const {
    fs::path workFolder = fileManager_.userDomain().temporaryDirectory / (workFolderPrefix + makeUuidString());
    fileManager_.createDirectories(workFolder);
    return workFolder;
}

void SD4ShortcutResolver::removeWorkFolder(const fs::path& workFolder) const noexcept {
    try {
        fileManager_.removeItem(workFolder);
    } catch (const std::exception&) {
        // A stray folder in the temporary directory is harmless.
    }
}

std::shared_ptr<ChildProcess> SD4ShortcutResolver::launch(const fs::path& workFolder, const SD4RunEvent& event) const {
    fs::path requestFile = workFolder / requestFileName;
    fileManager_.replaceAtomically(requestFile, Request{1, event.copyJobID, event.runID}.encoded());
    auto shortcut = std::make_shared<ChildProcess>(tools_.launchctl,
                                                   arguments(::getuid(), requestFile, workFolder / answerFileName));
    shortcut->setStandardInput(ChildProcess::Stream::inherit);
    shortcut->setStandardOutput(ChildProcess::Stream::null);
    shortcut->setStandardError(ChildProcess::Stream::pipe);
    // Its own group: ending the monitor ends the whole chain, not just launchctl.
    shortcut->setStartsProcessGroup(true);
    shortcut->launch();
    return shortcut;
}

SD4ResolvedRun SD4ShortcutResolver::answer(const fs::path& workFolder, const SD4RunEvent& event,
                                           ChildProcess& shortcut, const std::string& standardError) const {
    if (shortcut.terminationReason() != ChildProcess::TerminationReason::exit || shortcut.terminationStatus() != 0) {
        throw SD4ShortcutResolverError::shortcutFailed(failureMessage(standardError));
    }
    return Response::decode(BoundedJson::readBytes(fileManager_, workFolder / answerFileName)).resolvedRun(event);
}

SD4ResolvedRun SD4ShortcutResolver::resolve(const SD4RunEvent& event) const {
    const fs::path workFolder = makeWorkFolder();
    try {
        auto shortcut = launch(workFolder, event);
        // Draining before waiting keeps a chatty Shortcut from stalling on a full pipe.
        std::string standardError = shortcut->readStandardErrorToEnd(keptErrorBytes);
        shortcut->waitUntilExit();
        SD4ResolvedRun run = answer(workFolder, event, *shortcut, standardError);
        removeWorkFolder(workFolder);
        return run;
    } catch (...) {
        removeWorkFolder(workFolder);
        throw;
    }
}

void SD4ShortcutResolver::begin(const SD4RunEvent& event, Completion done) {
    fs::path workFolder;
    std::shared_ptr<ChildProcess> shortcut;
    try {
        if (!watcher_) {
            throw std::logic_error("Resolving in the background needs a child process watcher.");
        }
        workFolder = makeWorkFolder();
        shortcut = launch(workFolder, event);
        running_.emplace(shortcut.get(), Running{shortcut, workFolder});
        watcher_->watch(shortcut, keptErrorBytes,
                        [this, event, done](ChildProcess& ended, std::string standardError) {
                            auto found = running_.find(&ended);
                            if (found == running_.end()) {
                                return;
                            }
                            const Running finished = found->second;
                            running_.erase(found);
                            SD4ResolveResult result = std::string();
                            try {
                                result = answer(finished.workFolder, event, ended, standardError);
                            } catch (const std::exception& error) {
                                result = std::string(error.what());
                            }
                            removeWorkFolder(finished.workFolder);
                            done(std::move(result));
                        });
    } catch (const std::exception& error) {
        if (shortcut) {
            running_.erase(shortcut.get());
            shortcut->killProcessGroup();
        }
        if (!workFolder.empty()) {
            removeWorkFolder(workFolder);
        }
        done(std::string(error.what()));
    }
}

void SD4ShortcutResolver::cancelAll() {
    auto running = std::move(running_);
    running_.clear();
    // Every group gets its kill signal before we wait for the first to end.
    for (auto& [key, run] : running) {
        if (watcher_) {
            watcher_->forget(*run.shortcut);
        }
        ::killpg(run.shortcut->processIdentifier(), SIGKILL);
    }
    for (auto& [key, run] : running) {
        run.shortcut->killProcessGroup();
        removeWorkFolder(run.workFolder);
    }
}

} // namespace quillstone
