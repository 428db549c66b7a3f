#pragma once

#include <optional>
#include <string>

namespace quillstone {

// Everything one entry row of the panel shows, in the document's order.
struct StatusRow {
    static constexpr const char* succeededText = "Succeeded";
    static constexpr const char* attentionText = "Attention needed";

    std::string id;
    std::string name;
    bool succeeded = false;
    std::string statusText; // succeededText or attentionText
    std::string ageText;
    std::optional<std::string> freeSpace; // none when absent or empty

    bool operator==(const StatusRow&) const = default;
};

} // namespace quillstone
