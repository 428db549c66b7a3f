#include "platform/LinuxVolumes.h"

#include <fstream>
#include <limits>
#include <sys/statvfs.h>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

bool isOctal(char c) { return c >= '0' && c <= '7'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::vector<std::string_view> splitOnBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        if (end > start) {
            fields.push_back(line.substr(start, end - start));
        }
        start = end + 1;
    }
    return fields;
}

std::string canonicalOrSame(const std::string& path) {
    std::error_code error;
    fs::path canonical = fs::canonical(path, error);
    return error ? path : canonical.string();
}

} // namespace

LinuxVolumes::LinuxVolumes(fs::path mountInfoFile, fs::path labelFolder)
    : mountInfoFile_(std::move(mountInfoFile)), labelFolder_(std::move(labelFolder)) {}

std::string LinuxVolumes::decodeOctalEscapes(std::string_view text) {
    std::string result;
    for (size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '\\' && index + 3 < text.size() && isOctal(text[index + 1]) &&
            isOctal(text[index + 2]) && isOctal(text[index + 3])) {
            result.push_back(static_cast<char>((text[index + 1] - '0') * 64 + (text[index + 2] - '0') * 8 +
                                               (text[index + 3] - '0')));
            index += 3;
        } else {
            result.push_back(text[index]);
        }
    }
    return result;
}

std::string LinuxVolumes::decodeHexEscapes(std::string_view text) {
    std::string result;
    for (size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '\\' && index + 3 < text.size() && text[index + 1] == 'x' &&
            hexValue(text[index + 2]) >= 0 && hexValue(text[index + 3]) >= 0) {
            result.push_back(static_cast<char>(hexValue(text[index + 2]) * 16 + hexValue(text[index + 3])));
            index += 3;
        } else {
            result.push_back(text[index]);
        }
    }
    return result;
}

std::optional<LinuxVolumes::MountEntry> LinuxVolumes::parseMountInfoLine(std::string_view line) {
    // id parent major:minor root mount-point options [optional...] - type source super-options
    auto fields = splitOnBlanks(line);
    size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") {
        ++separator;
    }
    if (separator + 2 >= fields.size()) {
        return std::nullopt;
    }
    return MountEntry{decodeOctalEscapes(fields[4]), decodeOctalEscapes(fields[separator + 2])};
}

std::map<std::string, std::string> LinuxVolumes::labelsByDevice() const {
    std::map<std::string, std::string> labels;
    std::error_code error;
    for (fs::directory_iterator it(labelFolder_, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        fs::path device = fs::canonical(it->path(), ignored);
        if (!ignored) {
            labels.emplace(device.string(), decodeHexEscapes(it->path().filename().string()));
        }
    }
    return labels;
}

std::vector<Volumes::Volume> LinuxVolumes::mountedVolumes() const {
    std::vector<Volume> volumes;
    std::ifstream stream(mountInfoFile_);
    if (!stream) {
        return volumes;
    }
    auto labels = labelsByDevice();
    std::string line;
    while (std::getline(stream, line)) {
        auto entry = parseMountInfoLine(line);
        if (!entry) {
            continue;
        }
        Volume volume{entry->mountPoint, std::nullopt};
        if (!entry->source.empty() && entry->source.front() == '/') {
            auto label = labels.find(canonicalOrSame(entry->source));
            if (label != labels.end()) {
                volume.name = label->second;
            }
        }
        if (!volume.name) {
            std::string last = entry->mountPoint.filename().string();
            volume.name = last.empty() ? entry->mountPoint.string() : last;
        }
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

std::optional<int64_t> LinuxVolumes::availableCapacity(const fs::path& url) const {
    struct statvfs info {};
    if (::statvfs(url.c_str(), &info) != 0) {
        return std::nullopt;
    }
    unsigned long long blocks = info.f_bavail;
    unsigned long long size = info.f_frsize;
    constexpr auto largest = static_cast<unsigned long long>(std::numeric_limits<int64_t>::max());
    if (size != 0 && blocks > largest / size) {
        return std::numeric_limits<int64_t>::max();
    }
    return static_cast<int64_t>(blocks * size);
}

} // namespace quillstone
