#include "setup/monitor/SD4RunOutcome.h"

namespace quillstone {

std::string_view rawValue(SD4RunOutcome outcome) {
    switch (outcome) {
    case SD4RunOutcome::succeeded:
        return "succeeded";
    case SD4RunOutcome::failed:
        return "failed";
    case SD4RunOutcome::cancelled:
        return "cancelled";
    case SD4RunOutcome::wrongDrive:
        return "wrong_drive";
    case SD4RunOutcome::destinationNotConnected:
        return "destination_not_connected";
    }
    return "failed";
}

std::optional<SD4RunOutcome> outcomeFromRawValue(std::string_view text) {
    for (auto outcome : allSD4RunOutcomes) {
        if (rawValue(outcome) == text) {
            return outcome;
        }
    }
    return std::nullopt;
}

} // namespace quillstone
