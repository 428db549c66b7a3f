#include "setup/wizard/QuillstoneUpdateManifest.h"

#include "platform/BoundedJson.h"

#include <QString>
#include <QUrl>
#include <nlohmann/json.hpp>

namespace quillstone {

namespace {

bool isAbsoluteURL(const std::string& text) {
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    return url.isValid() && !url.isRelative();
}

} // namespace

std::optional<QuillstoneUpdateManifest> QuillstoneUpdateManifest::decode(std::string_view bytes) {
    const auto root = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    const auto version = root.find("version");
    const auto build = root.find("build");
    const auto downloadURL = root.find("downloadURL");
    if (version == root.end() || !version->is_string() || build == root.end() || !build->is_number_integer() ||
        downloadURL == root.end() || !downloadURL->is_string()) {
        return std::nullopt;
    }
    // An integer beyond the signed 64-bit range arrives unsigned.
    if (build->is_number_unsigned() && build->get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
        return std::nullopt;
    }
    QuillstoneUpdateManifest manifest;
    manifest.version = version->get<std::string>();
    manifest.build = build->get<std::int64_t>();
    manifest.downloadURL = downloadURL->get<std::string>();
    if (!isAbsoluteURL(manifest.downloadURL)) {
        return std::nullopt;
    }
    if (const auto notes = root.find("releaseNotes"); notes != root.end() && !notes->is_null()) {
        if (!notes->is_string()) {
            return std::nullopt;
        }
        manifest.releaseNotes = notes->get<std::string>();
    }
    return manifest;
}

} // namespace quillstone
