#include "platform/FreedesktopWorkspace.h"

#include "platform/Bundle.h"
#include "platform/ChildProcess.h"
#include "platform/SystemTools.h"
#include "platform/FileError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <sys/stat.h>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

bool hasApplicationExtension(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string extension = name.substr(name.size() - 4);
    for (auto& character : extension) {
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    }
    return extension == ".app";
}

bool occupied(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Trash info paths are URL-escaped except for the unreserved characters and '/'.
std::string escapedPath(const std::string& path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char character : path) {
        if (std::isalnum(character) || character == '/' || character == '-' || character == '_' ||
            character == '.' || character == '~') {
            escaped += static_cast<char>(character);
        } else {
            escaped += '%';
            escaped += hex[character >> 4];
            escaped += hex[character & 0x0F];
        }
    }
    return escaped;
}

std::string localDeletionDate(TimePoint moment) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local {};
    ::localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

} // namespace

FreedesktopWorkspace::FreedesktopWorkspace(FileManager& fileManager, std::vector<fs::path> applicationFolders,
                                           fs::path trashFolder, const Clock& clock, fs::path openTool)
    : fileManager_(fileManager),
      applicationFolders_(std::move(applicationFolders)),
      trashFolder_(std::move(trashFolder)),
      clock_(clock),
      openTool_(std::move(openTool)) {}

bool FreedesktopWorkspace::open(const std::string& target) {
    if (target.empty()) {
        return false;
    }
    try {
        ChildProcess child(openTool_.empty() ? SystemTools::current().open : openTool_, {target});
        child.setStandardInput(ChildProcess::Stream::null);
        child.setStandardOutput(ChildProcess::Stream::null);
        child.setStandardError(ChildProcess::Stream::null);
        child.launch();
        child.waitUntilExit();
        return child.terminationReason() == ChildProcess::TerminationReason::exit && child.terminationStatus() == 0;
    } catch (const ProcessLaunchError&) {
        return false;
    }
}

fs::path FreedesktopWorkspace::homeTrash(const UserDomain& domain) {
    fs::path data = domain.applicationSupportDirectories.empty() ? domain.home / ".local" / "share"
                                                                  : domain.applicationSupportDirectories.front();
    return data / "Trash";
}

std::vector<fs::path> FreedesktopWorkspace::applicationURLs(const std::string& bundleIdentifier) const {
    std::vector<fs::path> found;
    for (const auto& folder : applicationFolders_) {
        std::vector<std::string> names;
        try {
            names = fileManager_.contentsOfDirectory(folder);
        } catch (const FileError&) {
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            if (name.starts_with(".") || !hasApplicationExtension(name)) {
                continue;
            }
            if (Bundle(folder / name).identifier() == bundleIdentifier) {
                found.push_back(folder / name);
            }
        }
    }
    return found;
}

void FreedesktopWorkspace::recycle(const std::vector<fs::path>& items) {
    for (const auto& item : items) {
        recycleOne(item);
    }
}

void FreedesktopWorkspace::recycleOne(const fs::path& item) {
    fs::path source = item.lexically_normal();
    if (!occupied(source)) {
        throw FileError(ENOENT, source, trashOperation);
    }
    fs::path files = trashFolder_ / "files";
    fs::path info = trashFolder_ / "info";
    fileManager_.createDirectories(files);
    fileManager_.createDirectories(info);

    const std::string record = "[Trash Info]\nPath=" + escapedPath(fs::absolute(source).string()) +
                               "\nDeletionDate=" + localDeletionDate(clock_.now()) + "\n";
    const std::string stem = source.stem().string();
    const std::string extension = source.extension().string();
    for (int attempt = 1; attempt < 100000; ++attempt) {
        std::string name = attempt == 1 ? source.filename().string()
                                        : stem + "." + std::to_string(attempt) + extension;
        fs::path infoFile = info / (name + ".trashinfo");
        // The info file is claimed first, so two trashers never pick one name.
        if (!fileManager_.createIfMissing(infoFile, record, 0600)) {
            continue;
        }
        fs::path destination = files / name;
        if (occupied(destination)) {
            fileManager_.removeFile(infoFile);
            continue;
        }
        if (::rename(source.c_str(), destination.c_str()) != 0) {
            int error = errno;
            fileManager_.removeFile(infoFile);
            throw FileError(error, source, trashOperation);
        }
        return;
    }
    throw FileError(EEXIST, source, trashOperation);
}

} // namespace quillstone
