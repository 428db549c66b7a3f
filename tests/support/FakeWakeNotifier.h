#pragma once

#include "platform/WakeNotifier.h"

#include <map>
#include <vector>

namespace quillstone::testing {

class FakeWakeNotifier : public WakeNotifier {
public:
    Token addObserver(Handler handler) override {
        const Token token = nextToken_++;
        handlers_.emplace(token, std::move(handler));
        return token;
    }
    void removeObserver(Token token) override { handlers_.erase(token); }

    void wake() {
        std::vector<Handler> current;
        for (const auto& [token, handler] : handlers_) {
            current.push_back(handler);
        }
        for (const auto& handler : current) {
            handler();
        }
    }
    std::size_t observerCount() const { return handlers_.size(); }

private:
    std::map<Token, Handler> handlers_;
    Token nextToken_ = 1;
};

} // namespace quillstone::testing
