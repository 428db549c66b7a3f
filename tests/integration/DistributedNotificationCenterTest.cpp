#include "platform/sdbus/SdBusConnection.h"
#include "platform/sdbus/SdBusDistributedNotificationCenter.h"
#include "platform/sdbus/SdBusLogindWakeNotifier.h"
#include "platform/sdbus/SdEventLoop.h"
#include "platform/sdbus/SdEventMainQueue.h"
#include "setup/monitor/SD4RunNotificationObserver.h"
#include "support/NotificationValuePrinting.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace {

using V = NotificationValue;

constexpr const char* runFinished = "com.shirtpocket.SuperDuper.runFinished";

// Turns the loop until `done` holds or five seconds have passed.
template <typename Condition> bool turnUntil(SdEventLoop& loop, Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        loop.runOnce(20ms);
    }
    return done();
}

// One suite-wide bus; each test gets its own loop, connection and center.
class DistributedNotificationCenterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bus_ = new PrivateSessionBus; }
    static void TearDownTestSuite() { delete bus_; }

    void SetUp() override {
        connection_ = SdBusConnection::atAddress(bus_->address(), loop_.get());
        ASSERT_TRUE(connection_);
        center_ = std::make_shared<SdBusDistributedNotificationCenter>(connection_);
        center_->addObserver(runFinished, [this](const std::optional<NotificationUserInfo>& userInfo) {
            received_.push_back(userInfo);
        });
        observer_ = SD4RunNotificationObserver::create(
            center_, std::make_shared<SdEventMainQueue>(loop_.get()),
            [this](const std::string& line) { lines_.push_back(line); },
            [this](const SD4RunEvent& event) { events_.push_back(event); });
        observer_->start();
        ASSERT_TRUE(connection_->roundTrip());
    }

    static void emit(const std::vector<std::string>& arguments, const std::string& signal) {
        std::vector<std::string> argv{"emit", "--session", "--object-path", "/", "--signal", signal};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ChildProcess gdbus("/usr/bin/gdbus", argv);
        gdbus.launch();
        gdbus.waitUntilExit();
        ASSERT_EQ(gdbus.terminationStatus(), 0);
    }

    // Emits runFinished with gdbus and waits until both observers have it.
    void emitSignal(const std::vector<std::string>& arguments) {
        emit(arguments, runFinished);
        const auto expected = received_.size() + 1;
        ASSERT_TRUE(turnUntil(loop_, [&] { return received_.size() >= expected; })) << "signal not delivered";
        ASSERT_EQ(received_.size(), expected);
        loop_.runOnce(0ms);
    }

    const NotificationUserInfo& lastUserInfo() {
        static const NotificationUserInfo none;
        return received_.back() ? *received_.back() : none;
    }

    inline static PrivateSessionBus* bus_ = nullptr;

    SdEventLoop loop_;
    std::shared_ptr<SdBusConnection> connection_;
    std::shared_ptr<SdBusDistributedNotificationCenter> center_;
    std::shared_ptr<SD4RunNotificationObserver> observer_;
    std::vector<std::optional<NotificationUserInfo>> received_;
    std::vector<std::string> lines_;
    std::vector<SD4RunEvent> events_;
};

const std::string validPayload = "{'version': <int64 1>, 'copy_job_id': <'J1'>, 'run_id': <'R1'>, "
                                 "'outcome': <'succeeded'>, 'is_catchup': <false>, "
                                 "'ended_at_unix_nanos': <int64 1796487578000000000>}";

} // namespace

// Posted by the SuperDuper! 4 stand-in, as the real one would: a 32-bit version, a 64-bit end time.
TEST_F(DistributedNotificationCenterTest, AValidSignalArrivesAsTypedUserInfoAndAnEvent) {
    ProgramRun posted = ProgramRun::of(QUILLSTONE_SUPERDUPER4_STANDIN, {"--raw", "--job-id", "J1", "--run-id", "R1",
                                                                      "--ended-at-nanos", "1796487578000000000"});
    ASSERT_EQ(posted.status, 0) << posted.errors;
    ASSERT_TRUE(turnUntil(loop_, [&] { return !events_.empty(); })) << "signal not delivered";
    // The accepted line and the entry it becomes: SD4MonitorProcessTest.
    EXPECT_EQ(lastUserInfo().at("ended_at_unix_nanos"), V::signedInteger(1796487578000000000));
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0], (SD4RunEvent{1, "J1", "R1", SD4RunOutcome::succeeded, false, 1796487578000000000}));

    // The end time as a double is truncated; the version as a double 1.0 still counts.
    emitSignal({"{'version': <1.0>, 'copy_job_id': <'J1'>, 'run_id': <'R2'>, 'outcome': <'failed'>, "
                "'is_catchup': <true>, 'ended_at_unix_nanos': <1.5e18>}"});
    EXPECT_EQ(lastUserInfo().at("ended_at_unix_nanos"), V::real(1.5e18));
    EXPECT_EQ(lines_.back(), "notification accepted job=J1 run=R2 outcome=failed");
}

TEST_F(DistributedNotificationCenterTest, EveryIntegerTypeIsANumberAndOtherValuesKeepTheirSignature) {
    emitSignal({"{'version': <byte 1>, 'copy_job_id': <'J'>, 'run_id': <'R'>, 'outcome': <'failed'>, "
                "'is_catchup': <true>, 'ended_at_unix_nanos': <uint64 18446744073709551615>, "
                "'n': <int16 -3>, 'q': <uint16 7>, 'i': <int32 -9>, 'u': <uint32 9>, "
                "'path': <objectpath '/x'>, 'list': <[1, 2]>, 'dict': <{'a': <1>}>, 'wrapped': <<'s'>>}"});
    const NotificationUserInfo expected{
        {"ended_at_unix_nanos", V::unsignedInteger(18446744073709551615u)},
        {"version", V::unsignedInteger(1)}, {"n", V::signedInteger(-3)}, {"q", V::unsignedInteger(7)},
        {"i", V::signedInteger(-9)}, {"u", V::unsignedInteger(9)}, {"path", V::other("<o>")},
        {"list", V::other("<ai>")}, {"dict", V::other("<a{sv}>")}, {"wrapped", V::other("<v>")}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(lastUserInfo().at(key), value) << key;
    }
    // An end time beyond the signed range is refused, not wrapped around.
    EXPECT_EQ(lines_.back(), "notification payload rejected");
    EXPECT_TRUE(events_.empty());
}

TEST_F(DistributedNotificationCenterTest, EveryOtherShapeIsLoggedAndRejected) {
    struct Shape {
        std::vector<std::string> arguments;
        std::optional<NotificationUserInfo> userInfo;
        std::string diagnostic;
    };
    const std::string emptyDiagnostic =
        "notification received keys= version=missing outcome=missing jobID=false runID=false endedAt=false";
    const std::vector<Shape> shapes{
        {{}, std::nullopt, "notification received without userInfo"},
        {{"{'version': '1', 'copy_job_id': 'J1'}"},
         NotificationUserInfo{{"version", V::string("1")}, {"copy_job_id", V::string("J1")}},
         "notification received keys=copy_job_id,version version=1 outcome=missing jobID=true runID=false "
         "endedAt=false"},
        {{validPayload, "'extra'"}, NotificationUserInfo{}, emptyDiagnostic},
        {{"'just a string'"}, NotificationUserInfo{}, emptyDiagnostic},
        {{"{'version': <{'version': <int64 1>}>, 'outcome': <['succeeded']>}"},
         NotificationUserInfo{{"version", V::other("<a{sv}>")}, {"outcome", V::other("<as>")}},
         "notification received keys=outcome,version version=<a{sv}> outcome=<as> jobID=false runID=false "
         "endedAt=false"},
        // A handle whose file descriptor the message does not carry: unreadable.
        {{"{'version': <handle 0>}"}, NotificationUserInfo{}, emptyDiagnostic},
        {{"{7: <'seven'>}"}, NotificationUserInfo{{"7", V::string("seven")}},
         "notification received keys=7 version=missing outcome=missing jobID=false runID=false endedAt=false"},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.arguments.empty() ? "no argument" : shape.arguments.front());
        lines_.clear();
        emitSignal(shape.arguments);
        EXPECT_EQ(received_.back(), shape.userInfo);
        EXPECT_EQ(lines_, (std::vector<std::string>{shape.diagnostic, "notification payload rejected"}));
    }
    EXPECT_TRUE(events_.empty());
}

TEST_F(DistributedNotificationCenterTest, OtherSignalsAndRemovedObserversReceiveNothing) {
    emitSignal({validPayload});
    const auto before = received_.size();
    observer_->stop();
    // The raw observer still listens, so delivery of the next signal is observable.
    lines_.clear();
    emitSignal({validPayload});
    EXPECT_TRUE(lines_.empty());
    EXPECT_EQ(received_.size(), before + 1);

    emit({validPayload}, "com.shirtpocket.SuperDuper.runStarted");
    emitSignal({validPayload});
    EXPECT_EQ(received_.size(), before + 2) << "runStarted is not runFinished";
}

TEST(DistributedNotificationCenterWithoutBus, ObserversRegisterAndNothingArrives) {
    SdEventLoop loop;
    EXPECT_FALSE(SdBusConnection::atAddress("unix:path=/nonexistent/bus", loop.get()));
    auto center = std::make_shared<SdBusDistributedNotificationCenter>(nullptr);
    std::vector<std::string> lines;
    auto observer = SD4RunNotificationObserver::create(
        center, std::make_shared<SdEventMainQueue>(loop.get()), [&](const std::string& line) { lines.push_back(line); },
        [](const SD4RunEvent&) { FAIL() << "nothing can arrive"; });
    observer->start();
    EXPECT_EQ(lines, std::vector<std::string>{"distributed notification observer registered"});
    observer->stop();
    center->removeObserver(center->addObserver("no-dot", [](const auto&) {}));

    SdBusLogindWakeNotifier wake(nullptr);
    wake.removeObserver(wake.addObserver([] { FAIL() << "no wake without a bus"; }));
    loop.runOnce(0ms);
}
