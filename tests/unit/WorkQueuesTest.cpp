#include "platform/ThreadPoolBackgroundQueue.h"
#include "platform/qt/QtMainQueue.h"
#include "support/CoreApplicationScope.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

using namespace quillstone;
using namespace std::chrono_literals;

TEST(ThreadPoolBackgroundQueueTest, RunsEverythingOffTheCallerUpToItsThreadLimitAndWaitsOnDestruction) {
    std::atomic<int> finished{0};
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<bool> onCaller{false};
    const auto caller = std::this_thread::get_id();
    {
        ThreadPoolBackgroundQueue queue(3);
        for (int index = 0; index < 12; ++index) {
            queue.run([&] {
                const int now = ++running;
                for (int seen = mostAtOnce; now > seen && !mostAtOnce.compare_exchange_weak(seen, now);) {
                }
                onCaller = onCaller || std::this_thread::get_id() == caller;
                std::this_thread::sleep_for(20ms);
                --running;
                ++finished;
            });
        }
    }
    EXPECT_EQ(finished, 12) << "destruction waits for all work handed in";
    EXPECT_LE(mostAtOnce, 3);
    EXPECT_GE(mostAtOnce, 2) << "work runs side by side";
    EXPECT_FALSE(onCaller);
}

TEST(QtMainQueueTest, WorkFromManyThreadsRunsOnTheMainThreadInEachPostersOrder) {
    quillstone::testing::CoreApplicationScope application;
    QtMainQueue queue;
    const auto mainThread = std::this_thread::get_id();
    std::map<int, std::vector<int>> ran;
    std::size_t total = 0;
    bool offMain = false;
    std::vector<std::thread> posters;
    for (int poster = 0; poster < 4; ++poster) {
        posters.emplace_back([&, poster] {
            for (int index = 0; index < 100; ++index) {
                queue.post([&, poster, index] {
                    offMain = offMain || std::this_thread::get_id() != mainThread;
                    ran[poster].push_back(index);
                    ++total;
                });
            }
        });
    }
    for (std::thread& poster : posters) {
        poster.join();
    }
    QDeadlineTimer deadline(5000);
    while (total < 400 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ASSERT_EQ(total, 400u);
    EXPECT_FALSE(offMain);
    for (const auto& [poster, indexes] : ran) {
        for (int index = 0; index < 100; ++index) {
            EXPECT_EQ(indexes[index], index) << "poster " << poster;
        }
    }
}
