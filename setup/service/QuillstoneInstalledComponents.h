#pragma once

#include "platform/Bundle.h"
#include "setup/model/QuillstoneIntegration.h"

#include <optional>
#include <string>

namespace quillstone {

// Which build of Quillstone Setup last set up the monitor, and for which integration.
struct QuillstoneInstalledComponents {
    std::string version;
    std::string build;
    std::string bundlePath;
    QuillstoneIntegration integration = QuillstoneIntegration::sd4;

    bool operator==(const QuillstoneInstalledComponents&) const = default;

    // The record the given bundle would write; "0" for a missing version or build.
    static QuillstoneInstalledComponents current(QuillstoneIntegration integration, const Bundle& bundle);

    // All four keys as strings and a known integration, else nullopt.
    static std::optional<QuillstoneInstalledComponents> decode(const std::string& bytes);
    // Apple-style pretty JSON, keys sorted.
    std::string encode() const;
};

} // namespace quillstone
