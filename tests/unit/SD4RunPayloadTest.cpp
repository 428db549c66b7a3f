#include "setup/monitor/SD4RunPayload.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

NotificationUserInfo without(const std::string& key) {
    auto userInfo = validUserInfo();
    userInfo.erase(key);
    return userInfo;
}

} // namespace

TEST(SD4RunPayload, ValidPayloadBecomesEventAndDescribesItself) {
    auto event = SD4RunPayload::event(validUserInfo());
    ASSERT_TRUE(event);
    EXPECT_EQ(*event, (SD4RunEvent{1, "JOB-1", "RUN-7", SD4RunOutcome::succeeded, false, 1796487578000000000}));
    EXPECT_EQ(SD4RunPayload::diagnosticLine(validUserInfo()),
              "notification received keys=copy_job_id,ended_at_unix_nanos,is_catchup,outcome,run_id,version "
              "version=1 outcome=succeeded jobID=true runID=true endedAt=true");
}

TEST(SD4RunPayload, DiagnosticLineDescribesWhatArrivedEvenWhenInvalid) {
    EXPECT_EQ(SD4RunPayload::diagnosticLine(std::nullopt), "notification received without userInfo");
    EXPECT_EQ(SD4RunPayload::diagnosticLine(NotificationUserInfo{}),
              "notification received keys= version=missing outcome=missing jobID=false runID=false endedAt=false");

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

    EXPECT_NE(SD4RunPayload::diagnosticLine(with("version", V::string("1"))).find(" version=1 outcome=succeeded "),
              std::string::npos);
    EXPECT_NE(SD4RunPayload::diagnosticLine(with("version", V::other("<a{sv}>"))).find(" version=<a{sv}> "),
              std::string::npos);
    EXPECT_NE(SD4RunPayload::diagnosticLine(with("version", V::unsignedInteger(18446744073709551615u)))
                  .find(" version=18446744073709551615 "),
              std::string::npos);
    EXPECT_NE(SD4RunPayload::diagnosticLine(with("outcome", V::boolean(false))).find(" outcome=false "),
              std::string::npos);
}

TEST(SD4RunPayload, RejectsEachBrokenRule) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, std::optional<NotificationUserInfo>>> cases{
        {"no user info", std::nullopt},
        {"version 2", with("version", V::signedInteger(2))},
        {"version missing", without("version")},
        {"version as text", with("version", V::string("1"))},
        {"version as boolean", with("version", V::boolean(true))},
        {"version 1.5", with("version", V::real(1.5))},
        {"empty job", with("copy_job_id", V::string(""))},
        {"job missing", without("copy_job_id")},
        {"job as number", with("copy_job_id", V::signedInteger(4))},
        {"empty run", with("run_id", V::string(""))},
        {"run missing", without("run_id")},
        {"capital outcome", with("outcome", V::string("Succeeded"))},
        {"hyphenated outcome", with("outcome", V::string("wrong-drive"))},
        {"outcome as number", with("outcome", V::signedInteger(0))},
        {"catch-up missing", without("is_catchup")},
        {"catch-up as number", with("is_catchup", V::signedInteger(1))},
        {"catch-up as text", with("is_catchup", V::string("true"))},
        {"ended at zero", with("ended_at_unix_nanos", V::signedInteger(0))},
        {"ended negative", with("ended_at_unix_nanos", V::signedInteger(-5))},
        {"ended 0.9", with("ended_at_unix_nanos", V::real(0.9))},
        {"ended NaN", with("ended_at_unix_nanos", V::real(nan))},
        {"ended infinite", with("ended_at_unix_nanos", V::real(infinity))},
        {"ended minus infinite", with("ended_at_unix_nanos", V::real(-infinity))},
        {"ended 2^63 as real", with("ended_at_unix_nanos", V::real(9223372036854775808.0))},
        {"ended 1e300", with("ended_at_unix_nanos", V::real(1e300))},
        {"ended 2^63 unsigned", with("ended_at_unix_nanos", V::unsignedInteger(9223372036854775808u))},
        {"ended 2^64-1 unsigned", with("ended_at_unix_nanos", V::unsignedInteger(18446744073709551615u))},
        {"ended as text", with("ended_at_unix_nanos", V::string("5"))},
        {"ended as other", with("ended_at_unix_nanos", V::other("<ax>"))},
        {"ended missing", without("ended_at_unix_nanos")},
    };
    for (const auto& [name, userInfo] : cases) {
        EXPECT_FALSE(SD4RunPayload::event(userInfo)) << name;
    }
}

TEST(SD4RunPayload, AcceptsEveryFormOfAValidNumberAndCarriesTheRest) {
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::real(5.5)))->endedAtUnixNanos, 5);
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::real(1.0)))->endedAtUnixNanos, 1);
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::unsignedInteger(9223372036854775807u)))
                  ->endedAtUnixNanos,
              std::numeric_limits<int64_t>::max());
    // The largest double below 2^63 still fits.
    EXPECT_EQ(SD4RunPayload::event(with("ended_at_unix_nanos", V::real(9223372036854774784.0)))->endedAtUnixNanos,
              9223372036854774784);
    EXPECT_TRUE(SD4RunPayload::event(with("version", V::unsignedInteger(1))));
    EXPECT_TRUE(SD4RunPayload::event(with("version", V::real(1.0))));

    auto catchup = with("is_catchup", V::boolean(true));
    catchup.emplace("job_name", V::other("<a{sv}>"));
    catchup.insert_or_assign("outcome", V::string("destination_not_connected"));
    auto event = SD4RunPayload::event(catchup);
    ASSERT_TRUE(event);
    EXPECT_TRUE(event->isCatchup);
    EXPECT_EQ(event->outcome, SD4RunOutcome::destinationNotConnected);
    EXPECT_EQ(event->version, 1);
}
