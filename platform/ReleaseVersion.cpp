#include "platform/ReleaseVersion.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace quillstone::ReleaseVersion {

namespace {

std::vector<std::int64_t> pieces(std::string_view version) {
    std::vector<std::int64_t> numbers;
    std::size_t start = 0;
    while (start <= version.size()) {
        auto dot = version.find('.', start);
        if (dot == std::string_view::npos) {
            dot = version.size();
        }
        if (dot > start) {
            numbers.push_back(parseBuildNumber(version.substr(start, dot - start)));
        }
        start = dot + 1;
    }
    return numbers;
}

} // namespace

std::int64_t parseBuildNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    // Parsed with its sign so that the most negative value still fits.
    std::string signedText = negative ? "-" : "";
    signedText.append(text);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(signedText.data(), signedText.data() + signedText.size(), value);
    if (error != std::errc() || end != signedText.data() + signedText.size()) {
        return 0;
    }
    return value;
}

bool isNewerVersion(std::string_view manifestVersion, std::int64_t manifestBuild, std::string_view currentVersion,
                    std::int64_t currentBuild) {
    auto offered = pieces(manifestVersion);
    auto running = pieces(currentVersion);
    auto length = std::max(offered.size(), running.size());
    for (std::size_t i = 0; i < length; ++i) {
        auto a = i < offered.size() ? offered[i] : 0;
        auto b = i < running.size() ? running[i] : 0;
        if (a != b) {
            return a > b;
        }
    }
    return manifestBuild > currentBuild;
}

} // namespace quillstone::ReleaseVersion
