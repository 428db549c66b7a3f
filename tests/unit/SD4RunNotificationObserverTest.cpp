#include "setup/monitor/SD4RunNotificationObserver.h"
#include "support/FakeDistributedNotificationCenter.h"
#include "support/ManualMainQueue.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

constexpr const char* runFinished = "com.shirtpocket.SuperDuper.runFinished";

NotificationUserInfo validUserInfo(const std::string& runID = "R1") {
    using V = NotificationValue;
    return {{"version", V::signedInteger(1)},       {"copy_job_id", V::string("J1")},
            {"run_id", V::string(runID)},           {"outcome", V::string("wrong_drive")},
            {"is_catchup", V::boolean(true)},       {"ended_at_unix_nanos", V::signedInteger(42)}};
}

class SD4RunNotificationObserverTest : public ::testing::Test {
protected:
    std::shared_ptr<SD4RunNotificationObserver> makeObserver() {
        return SD4RunNotificationObserver::create(
            center, mainQueue, [this](const std::string& line) { lines.push_back(line); },
            [this](const SD4RunEvent& event) { events.push_back(event); });
    }

    std::shared_ptr<FakeDistributedNotificationCenter> center = std::make_shared<FakeDistributedNotificationCenter>();
    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::vector<std::string> lines;
    std::vector<SD4RunEvent> events;
};

} // namespace

TEST_F(SD4RunNotificationObserverTest, StartRegistersOnceAndStopEndsDelivery) {
    auto observer = makeObserver();
    observer->stop(); // harmless before any start
    EXPECT_FALSE(observer->isRegistered());
    observer->start();
    observer->start();
    EXPECT_EQ(center->registrations, 1);
    EXPECT_EQ(lines, std::vector<std::string>{"distributed notification observer registered"});

    observer->stop();
    observer->stop();
    EXPECT_FALSE(observer->isRegistered());
    EXPECT_EQ(center->observerCount(), 0u);
    center->post(runFinished, validUserInfo());
    mainQueue->runAll();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(lines.size(), 1u);
    // Registering again after a stop works and logs again.
    observer->start();
    EXPECT_EQ(center->observerCount(), 1u);
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(SD4RunNotificationObserverTest, EventsReachTheHandlerInALaterTurnUnlessTheObserverIsReleasedFirst) {
    auto observer = makeObserver();
    observer->start();
    center->post(runFinished, validUserInfo());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(mainQueue->runAll(), 1u);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (SD4RunEvent{1, "J1", "R1", SD4RunOutcome::wrongDrive, true, 42}));

    center->post(runFinished, validUserInfo("R2"));
    observer.reset();
    EXPECT_EQ(center->observerCount(), 0u);
    EXPECT_EQ(mainQueue->runAll(), 1u);
    EXPECT_EQ(events.size(), 1u);
}
