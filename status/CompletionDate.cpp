#include "status/CompletionDate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

namespace quillstone::CompletionDate {

namespace {

using namespace std::chrono;

// Reads exactly `count` ASCII digits at `at`.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool hasAt(std::string_view text, std::size_t at, char expected) { return at < text.size() && text[at] == expected; }

// Dates the clock cannot hold (about 1678 to 2261) are no dates for us.
std::optional<TimePoint> representable(std::int64_t secondsSinceEpoch) {
    constexpr auto lowest = duration_cast<seconds>(TimePoint::duration::min()).count() + 1;
    constexpr auto highest = duration_cast<seconds>(TimePoint::duration::max()).count() - 1;
    if (secondsSinceEpoch < lowest || secondsSinceEpoch > highest) {
        return std::nullopt;
    }
    return TimePoint(seconds(secondsSinceEpoch));
}

// YYYY-MM-DDTHH:MM:SS followed by Z or +hh:mm / -hh:mm, nothing else.
std::optional<TimePoint> parseInternetDateTime(std::string_view text) {
    auto year = digits(text, 0, 4);
    auto month = digits(text, 5, 2);
    auto day = digits(text, 8, 2);
    auto hour = digits(text, 11, 2);
    auto minute = digits(text, 14, 2);
    auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !hasAt(text, 4, '-') || !hasAt(text, 7, '-') ||
        !hasAt(text, 10, 'T') || !hasAt(text, 13, ':') || !hasAt(text, 16, ':')) {
        return std::nullopt;
    }
    year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                        std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    int offsetMinutes = 0;
    std::string_view zone = text.substr(19);
    if (zone != "Z") {
        auto offsetHours = digits(zone, 1, 2);
        auto offsetRest = digits(zone, 4, 2);
        if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' || !offsetHours ||
            !offsetRest || *offsetHours > 23 || *offsetRest > 59) {
            return std::nullopt;
        }
        offsetMinutes = (zone[0] == '-' ? -1 : 1) * (*offsetHours * 60 + *offsetRest);
    }
    auto local = sys_seconds(sys_days(date)) + hours(*hour) + minutes(*minute) + seconds(*second);
    return representable((local - minutes(offsetMinutes)).time_since_epoch().count());
}

// The fixed-format fallback, as a POSIX-locale date formatter reads it: the whole text must match.
std::optional<TimePoint> parseFixedFormat(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString("yyyy-MM-dd'T'HH:mm:ssZ"), icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    format.setLenient(false);
    auto input = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::ParsePosition position(0);
    UDate milliseconds = format.parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) {
        return std::nullopt;
    }
    // The pattern has whole seconds only.
    double wholeSeconds = std::floor(milliseconds / 1000.0);
    if (!std::isfinite(wholeSeconds) || std::fabs(wholeSeconds) > 1e15) {
        return std::nullopt;
    }
    return representable(static_cast<std::int64_t>(wholeSeconds));
}

} // namespace

std::optional<TimePoint> parse(std::string_view text) {
    if (auto moment = parseInternetDateTime(text)) {
        return moment;
    }
    return parseFixedFormat(text);
}

std::string ageText(const std::string& completedAt, TimePoint now) {
    auto completed = parse(completedAt);
    if (!completed) {
        return completedAt;
    }
    // Completion times are whole seconds, so this is the truncated difference
    // wherever it matters, and it cannot overflow however far apart the two are.
    auto s = floor<seconds>(now).time_since_epoch().count() - floor<seconds>(*completed).time_since_epoch().count();
    auto c = std::max<decltype(s)>(s, 0);
    if (s >= 86400) {
        return std::to_string(c / 86400) + "d " + std::to_string((c % 86400) / 3600) + "h";
    }
    if (c % 86400 >= 3600) {
        return std::to_string((c % 86400) / 3600) + "h " + std::to_string((c % 3600) / 60) + "m";
    }
    if (c % 3600 < 60) {
        return "now";
    }
    return std::to_string((c % 3600) / 60) + "m";
}

} // namespace quillstone::CompletionDate
