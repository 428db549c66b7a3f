#pragma once

#include "platform/DistributedNotificationCenter.h"
#include "platform/MainQueue.h"
#include "setup/monitor/SD4MonitorLog.h"
#include "setup/monitor/SD4RunEvent.h"

#include <functional>
#include <memory>
#include <optional>

namespace quillstone {

// Listens for SuperDuper! 4's run-finished notification, logs what arrived and
// hands each accepted event to its handler in a later main-queue turn. Main
// thread only. Held by a shared_ptr: the registration and the queued hand-over
// hold it weakly, so events still queued when it is released are dropped.
class SD4RunNotificationObserver : public std::enable_shared_from_this<SD4RunNotificationObserver> {
public:
    using EventHandler = std::function<void(const SD4RunEvent&)>;

    static constexpr const char* registeredText = "distributed notification observer registered";
    static constexpr const char* rejectedText = "notification payload rejected";
    static constexpr const char* acceptedText = "notification accepted job=";

    static std::shared_ptr<SD4RunNotificationObserver> create(std::shared_ptr<DistributedNotificationCenter> center,
                                                              std::shared_ptr<MainQueue> mainQueue,
                                                              SD4LogFunction log, EventHandler eventHandler);
    ~SD4RunNotificationObserver();
    SD4RunNotificationObserver(const SD4RunNotificationObserver&) = delete;
    SD4RunNotificationObserver& operator=(const SD4RunNotificationObserver&) = delete;

    // Registers once; a second call does nothing and logs nothing.
    void start();
    // Removes the registration, if any.
    void stop();
    bool isRegistered() const { return observer_.has_value(); }

private:
    SD4RunNotificationObserver(std::shared_ptr<DistributedNotificationCenter> center,
                               std::shared_ptr<MainQueue> mainQueue, SD4LogFunction log,
                               EventHandler eventHandler);
    void received(const std::optional<NotificationUserInfo>& userInfo);

    std::shared_ptr<DistributedNotificationCenter> center_;
    std::shared_ptr<MainQueue> mainQueue_;
    SD4LogFunction log_;
    EventHandler eventHandler_;
    std::optional<DistributedNotificationCenter::Token> observer_;
};

} // namespace quillstone
