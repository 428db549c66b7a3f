#include "status/CompletionDate.h"

#include <gtest/gtest.h>

#include <utility>

using namespace quillstone;
using namespace std::chrono;

namespace {

TimePoint at(sys_days day, seconds time) { return TimePoint(day.time_since_epoch() + time); }

const TimePoint may1 = at(2024y / May / 1, hours(10) + minutes(20) + seconds(30));

} // namespace

TEST(StatusCompletionDate, InternetDateTimeThenTheFixedPattern) {
    const std::pair<const char*, std::optional<TimePoint>> cases[] = {
        {"2024-05-01T10:20:30Z", may1},
        {"2024-05-01T12:20:30+02:00", may1},
        {"2024-05-01T07:50:30-02:30", may1},
        {"2024-05-01T12:20:30+0200", may1},
        {"2024-05-01T10:20:30.250Z", std::nullopt},
        {"2024-05-01T10:20:30.250+0000", std::nullopt},
        {"2024-05-01T10:20:30", std::nullopt},
        {"2024-05-01 10:20:30Z", std::nullopt},
        {"2024-02-30T10:20:30Z", std::nullopt},
        {"2024-05-01T24:00:00Z", std::nullopt},
        {"2024-05-01T10:20:30Zjunk", std::nullopt},
        {"2024-05-01T10:20:30+0200 ", std::nullopt},
        // Beyond what the clock holds: shown as text rather than wrapped around.
        {"9999-12-31T23:59:59Z", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(CompletionDate::parse(text), expected) << text;
    }
}

TEST(StatusCompletionDate, AgeTextSteps) {
    const std::pair<seconds, const char*> cases[] = {
        {seconds(0), "now"},       {seconds(59), "now"},      {seconds(60), "1m"},
        {seconds(3599), "59m"},    {seconds(3600), "1h 0m"},  {seconds(86399), "23h 59m"},
        {seconds(86400), "1d 0h"}, {seconds(90061), "1d 1h"}, {seconds(-90061), "now"},
    };
    for (const auto& [age, expected] : cases) {
        // Fractions of a second in the clock never round up.
        EXPECT_EQ(CompletionDate::ageText("2024-05-01T10:20:30Z", may1 + age + milliseconds(999)), expected)
            << age.count();
    }
    EXPECT_EQ(CompletionDate::ageText("yesterday", may1), "yesterday");
}
