#pragma once

#include "platform/DistributedNotificationCenter.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quillstone::testing {

// Delivers posted notifications to the matching observers at once, as the
// real center does on the main thread.
class FakeDistributedNotificationCenter : public DistributedNotificationCenter {
public:
    Token addObserver(const std::string& name, Handler handler) override {
        const Token token = nextToken_++;
        observers_.emplace(token, std::make_pair(name, std::move(handler)));
        ++registrations;
        return token;
    }
    void removeObserver(Token token) override { observers_.erase(token); }

    void post(const std::string& name, const std::optional<NotificationUserInfo>& userInfo) {
        std::vector<Handler> matching;
        for (const auto& [token, observer] : observers_) {
            if (observer.first == name) {
                matching.push_back(observer.second);
            }
        }
        for (const auto& handler : matching) {
            handler(userInfo);
        }
    }
    std::size_t observerCount() const { return observers_.size(); }

    int registrations = 0;

private:
    std::map<Token, std::pair<std::string, Handler>> observers_;
    Token nextToken_ = 1;
};

} // namespace quillstone::testing
