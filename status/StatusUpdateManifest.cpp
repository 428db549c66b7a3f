#include "status/StatusUpdateManifest.h"

#include "platform/BoundedJson.h"

#include <QString>
#include <QUrl>
#include <limits>
#include <nlohmann/json.hpp>

namespace quillstone {

namespace {

// The address is handed to the desktop's opener, so only a web page or download qualifies.
bool isDownloadAddress(const std::string& text) {
    QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "https" || url.scheme() == "http") && !url.host().isEmpty();
}

} // namespace

std::optional<StatusUpdateManifest> StatusUpdateManifest::decode(const std::string& bytes) {
    auto root = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    auto version = root.find("version");
    auto build = root.find("build");
    auto downloadURL = root.find("downloadURL");
    if (version == root.end() || !version->is_string() || build == root.end() || !build->is_number_integer() ||
        downloadURL == root.end() || !downloadURL->is_string()) {
        return std::nullopt;
    }
    if (build->is_number_unsigned() &&
        build->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    StatusUpdateManifest manifest{version->get<std::string>(), build->get<std::int64_t>(),
                                  downloadURL->get<std::string>()};
    if (!isDownloadAddress(manifest.downloadURL)) {
        return std::nullopt;
    }
    return manifest;
}

} // namespace quillstone
