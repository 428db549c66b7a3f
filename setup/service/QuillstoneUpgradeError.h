#pragma once

#include <stdexcept>

namespace quillstone {

class QuillstoneUpgradeError : public std::runtime_error {
public:
    enum class Code { currentApplicationIsNotInstalled, legacyApplicationRemovalFailed };

    static constexpr const char* currentApplicationIsNotInstalledDescription =
        "Install Quillstone 2.3 first. The active Monitor was not changed.";
    static constexpr const char* legacyApplicationRemovalFailedDescription =
        "The Monitor was upgraded, but the previous Quillstone app could not be moved to the Trash. "
        "Administrator approval is required to remove an app installed for all users.";

    explicit QuillstoneUpgradeError(Code code);
    Code code() const { return code_; }
    static const char* descriptionFor(Code code);

private:
    Code code_;
};

} // namespace quillstone
