#pragma once

#include <string>

namespace quillstone {

enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

// The system's login-item service for helper applications embedded in the
// main bundle, addressed by bundle identifier. Refusals throw with the
// system's own description.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    virtual LoginItemStatus status(const std::string& identifier) = 0;
    virtual void registerItem(const std::string& identifier) = 0;
    virtual void unregisterItem(const std::string& identifier) = 0;
};

} // namespace quillstone
