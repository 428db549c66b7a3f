#include "setup/monitor/SD4RunNotificationObserver.h"

#include "setup/monitor/SD4RunPayload.h"

namespace quillstone {

std::shared_ptr<SD4RunNotificationObserver>
SD4RunNotificationObserver::create(std::shared_ptr<DistributedNotificationCenter> center,
                                   std::shared_ptr<MainQueue> mainQueue, SD4LogFunction log,
                                   EventHandler eventHandler) {
    return std::shared_ptr<SD4RunNotificationObserver>(new SD4RunNotificationObserver(
        std::move(center), std::move(mainQueue), std::move(log), std::move(eventHandler)));
}

SD4RunNotificationObserver::SD4RunNotificationObserver(std::shared_ptr<DistributedNotificationCenter> center,
                                                       std::shared_ptr<MainQueue> mainQueue, SD4LogFunction log,
                                                       EventHandler eventHandler)
    : center_(std::move(center)), mainQueue_(std::move(mainQueue)), log_(std::move(log)),
      eventHandler_(std::move(eventHandler)) {}

SD4RunNotificationObserver::~SD4RunNotificationObserver() { stop(); }

void SD4RunNotificationObserver::start() {
    if (observer_) {
        return;
    }
    std::weak_ptr<SD4RunNotificationObserver> weakSelf = weak_from_this();
    observer_ = center_->addObserver(SD4RunPayload::notificationName,
                                     [weakSelf](const std::optional<NotificationUserInfo>& userInfo) {
                                         if (auto self = weakSelf.lock()) {
                                             self->received(userInfo);
                                         }
                                     });
    log_(registeredText);
}

void SD4RunNotificationObserver::stop() {
    if (!observer_) {
        return;
    }
    center_->removeObserver(*observer_);
    observer_.reset();
}

void SD4RunNotificationObserver::received(const std::optional<NotificationUserInfo>& userInfo) {
    log_(SD4RunPayload::diagnosticLine(userInfo));
    auto event = SD4RunPayload::event(userInfo);
    if (!event) {
        log_(rejectedText);
        return;
    }
    log_(std::string(acceptedText) + event->copyJobID + " run=" + event->runID +
         " outcome=" + std::string(rawValue(event->outcome)));
    std::weak_ptr<SD4RunNotificationObserver> weakSelf = weak_from_this();
    mainQueue_->post([weakSelf, event = std::move(*event)] {
        if (auto self = weakSelf.lock()) {
            self->eventHandler_(event);
        }
    });
}

} // namespace quillstone
