#include "setup/monitor/SD4RunPayload.h"
#include "support/NotificationValuePrinting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using namespace quillstone;

namespace {

using V = NotificationValue;

NotificationUserInfo validUserInfo() {
    return {{"version", V::signedInteger(1)},
            {"copy_job_id", V::string("JOB-1")},
            {"run_id", V::string("RUN-7")},
            {"outcome", V::string("succeeded")},
            {"is_catchup", V::boolean(false)},
            {"ended_at_unix_nanos", V::signedInteger(1796487578000000000)}};
}

NotificationUserInfo with(const std::string& key, NotificationValue value) {
    auto userInfo = validUserInfo();
    userInfo.insert_or_assign(key, std::move(value));
    return userInfo;
}

} // namespace

TEST(SD4RunPayload, DiagnosticLineDescribesWhatArrivedEvenWhenInvalid) {
    // No user info, an empty one, text and container values: DistributedNotificationCenterTest;
    // a valid payload: SD4MonitorProcessTest.
    // Plain byte order puts capitals first; values keep the sender's type.
    NotificationUserInfo odd{{"zeta", V::boolean(true)},
                             {"Alpha", V::string("x")},
                             {"version", V::real(1.5)},
                             {"outcome", V::signedInteger(3)},
                             {"copy_job_id", V::string("")},
                             {"run_id", V::signedInteger(9)},
                             {"ended_at_unix_nanos", V::string("soon")}};
    EXPECT_EQ(SD4RunPayload::diagnosticLine(odd),
              "notification received keys=Alpha,copy_job_id,ended_at_unix_nanos,outcome,run_id,version,zeta "
              "version=1.5 outcome=3 jobID=false runID=false endedAt=true");

    for (const auto& [key, value, text] : {std::tuple{"version", V::unsignedInteger(18446744073709551615u),
                                                      " version=18446744073709551615 "},
                                           std::tuple{"outcome", V::boolean(false), " outcome=false "}}) {
        EXPECT_NE(SD4RunPayload::diagnosticLine(with(key, value)).find(text), std::string::npos) << text;
    }
}

TEST(SD4RunPayload, RejectsEachBrokenRule) {
    EXPECT_FALSE(SD4RunPayload::event(std::nullopt));
    for (const auto& [key, value] : validUserInfo()) {
        auto without = validUserInfo();
        without.erase(key);
        EXPECT_FALSE(SD4RunPayload::event(without)) << key << " missing";
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    // Outcomes are exact; end times are positive and fit a signed 64-bit count.
    const std::vector<std::pair<std::string, std::vector<NotificationValue>>> refused{
        {"version", {V::signedInteger(2), V::string("1"), V::boolean(true), V::real(1.5)}},
        {"copy_job_id", {V::string(""), V::signedInteger(4)}},
        {"run_id", {V::string("")}},
        {"outcome", {V::string("Succeeded"), V::string("wrong-drive"), V::signedInteger(0)}},
        {"is_catchup", {V::signedInteger(1), V::string("true")}},
        {"ended_at_unix_nanos",
         {V::signedInteger(0), V::signedInteger(-5), V::real(0.9), V::real(nan), V::real(infinity),
          V::real(-infinity), V::real(9223372036854775808.0), V::real(1e300),
          V::unsignedInteger(9223372036854775808u), V::unsignedInteger(18446744073709551615u), V::string("5"),
          V::other("<ax>")}},
    };
    for (const auto& [key, values] : refused) {
        for (const auto& value : values) {
            EXPECT_FALSE(SD4RunPayload::event(with(key, value)))
                << key << " = " << ::testing::PrintToString(value);
        }
    }
}

TEST(SD4RunPayload, AcceptsEveryFormOfAValidNumberAndCarriesTheRest) {
    EXPECT_EQ(*SD4RunPayload::event(validUserInfo()),
              (SD4RunEvent{1, "JOB-1", "RUN-7", SD4RunOutcome::succeeded, false, 1796487578000000000}));
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::real(5.5)))->endedAtUnixNanos, 5);
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::unsignedInteger(9223372036854775807u)))
                  ->endedAtUnixNanos,
              std::numeric_limits<int64_t>::max());
    // The largest double below 2^63 still fits.
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::real(9223372036854774784.0)))->endedAtUnixNanos,
              9223372036854774784);
    EXPECT_TRUE(SD4RunPayload::event(with("version", V::unsignedInteger(1))));

    auto catchup = with("is_catchup", V::boolean(true));
    catchup.emplace("job_name", V::other("<a{sv}>"));
    catchup.insert_or_assign("outcome", V::string("destination_not_connected"));
    auto event = SD4RunPayload::event(catchup);
    ASSERT_TRUE(event);
    EXPECT_TRUE(event->isCatchup);
    EXPECT_EQ(event->outcome, SD4RunOutcome::destinationNotConnected);
    EXPECT_EQ(event->version, 1);
}
