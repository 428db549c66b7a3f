#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillstone {

enum class SD4RunOutcome { succeeded, failed, cancelled, wrongDrive, destinationNotConnected };

inline constexpr std::array<SD4RunOutcome, 5> allSD4RunOutcomes{
    SD4RunOutcome::succeeded, SD4RunOutcome::failed, SD4RunOutcome::cancelled, SD4RunOutcome::wrongDrive,
    SD4RunOutcome::destinationNotConnected};

// "succeeded", "failed", "cancelled", "wrong_drive", "destination_not_connected".
std::string_view rawValue(SD4RunOutcome outcome);
// Exact, case-sensitive match against the raw values.
std::optional<SD4RunOutcome> outcomeFromRawValue(std::string_view text);
inline bool countsAsSuccess(SD4RunOutcome outcome) { return outcome == SD4RunOutcome::succeeded; }

} // namespace quillstone
