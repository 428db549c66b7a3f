#include "setup/monitor/SD4ShortcutResolver.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/ChildProcess.h"
#include "platform/UnicodeText.h"
#include "platform/Uuid.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

std::string SD4ShortcutResolver::Request::encoded() const {
    nlohmann::json request = {{"version", version}, {"copy_job_id", copyJobID}, {"run_id", runID}};
    return compactJson(request);
}

SD4ShortcutResolver::SD4ShortcutResolver(FileManager& fileManager, SystemTools tools)
    : fileManager_(fileManager), tools_(std::move(tools)) {}

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

SD4ResolvedRun SD4ShortcutResolver::resolve(const SD4RunEvent& event) const {
    fs::path workFolder = fileManager_.userDomain().temporaryDirectory / (workFolderPrefix + makeUuidString());
    fileManager_.createDirectories(workFolder);
    auto removeWorkFolder = [&] {
        try {
            fileManager_.removeItem(workFolder);
        } catch (const std::exception&) {
            // A stray folder in the temporary directory is harmless.
        }
    };
    try {
        SD4ResolvedRun run = resolveIn(workFolder, event);
        removeWorkFolder();
        return run;
    } catch (...) {
        removeWorkFolder();
        throw;
    }
}

SD4ResolvedRun SD4ShortcutResolver::resolveIn(const fs::path& workFolder, const SD4RunEvent& event) const {
    fs::path requestFile = workFolder / requestFileName;
    fs::path answerFile = workFolder / answerFileName;
    fileManager_.replaceAtomically(requestFile, Request{1, event.copyJobID, event.runID}.encoded());

    ChildProcess shortcut(tools_.launchctl, arguments(::getuid(), requestFile, answerFile));
    shortcut.setStandardInput(ChildProcess::Stream::inherit);
    shortcut.setStandardOutput(ChildProcess::Stream::null);
    shortcut.setStandardError(ChildProcess::Stream::pipe);
    shortcut.launch();
    // Draining before waiting keeps a chatty Shortcut from stalling on a full pipe.
    std::string standardError = shortcut.readStandardErrorToEnd(keptErrorBytes);
    shortcut.waitUntilExit();
    if (shortcut.terminationReason() != ChildProcess::TerminationReason::exit || shortcut.terminationStatus() != 0) {
        throw SD4ShortcutResolverError::shortcutFailed(failureMessage(standardError));
    }
    return Response::decode(BoundedJson::readBytes(fileManager_, answerFile)).resolvedRun(event);
}

} // namespace quillstone
