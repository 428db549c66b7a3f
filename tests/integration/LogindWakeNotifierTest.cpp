#include "platform/ChildProcess.h"
#include "platform/sdbus/SdBusBooleanMethod.h"
#include "platform/sdbus/SdBusConnection.h"
#include "platform/sdbus/SdBusLogindWakeNotifier.h"
#include "platform/sdbus/SdEventLoop.h"
#include "support/PrivateSessionBus.h"

#include <chrono>
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

TEST(LogindWakeNotifier, OnlyTheWayBackFromSleepIsAWake) {
    PrivateSessionBus bus;
    SdEventLoop loop;
    // Our own bus stands in for the system bus; a second connection plays logind.
    auto logind = SdBusConnection::atAddress(bus.address(), loop.get());
    auto monitor = SdBusConnection::atAddress(bus.address(), loop.get());
    ASSERT_TRUE(logind && monitor);
    SdBusBooleanMethod logindName({"org.freedesktop.login1", "/org/freedesktop/login1", "org.example.Unused", "Unused"},
                                  [] { return false; });
    ASSERT_TRUE(logindName.exportOn(logind));

    SdBusLogindWakeNotifier notifier(monitor);
    int wakes = 0;
    auto token = notifier.addObserver([&] { ++wakes; });
    // A round trip of the sender proves the bus routed its signal; one of the
    // receiver that the signal reached it; then the loop delivers it.
    auto settle = [&] {
        ASSERT_TRUE(logind->roundTrip());
        ASSERT_TRUE(monitor->roundTrip());
        for (int turn = 0; turn < 5; ++turn) {
            loop.runOnce(10ms);
        }
    };
    settle();
    auto prepareForSleep = [&](const char* types, auto... values) {
        ASSERT_GE(sd_bus_emit_signal(logind->get(), "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                     "PrepareForSleep", types, values...),
                  0);
        settle();
    };
    prepareForSleep("b", 1);
    EXPECT_EQ(wakes, 0);
    prepareForSleep("b", 0);
    EXPECT_EQ(wakes, 1);
    prepareForSleep(nullptr);
    prepareForSleep("s", "false");
    prepareForSleep("bb", 0, 0);
    EXPECT_EQ(wakes, 1) << "other shapes are ignored";

    ChildProcess impostor("/usr/bin/gdbus", {"emit", "--session", "--object-path", "/org/freedesktop/login1",
                                             "--signal", "org.freedesktop.login1.Manager.PrepareForSleep", "false"});
    impostor.launch();
    impostor.waitUntilExit();
    settle();
    EXPECT_EQ(wakes, 1) << "only logind speaks for logind";

    notifier.removeObserver(token);
    prepareForSleep("b", 0);
    EXPECT_EQ(wakes, 1);
}
