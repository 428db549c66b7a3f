#include "platform/UserIdentity.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace quillstone {

UserIdentity UserIdentity::current() {
    UserIdentity identity;
    identity.userID = ::getuid();
    if (const passwd* entry = ::getpwuid(identity.userID); entry != nullptr && entry->pw_name != nullptr) {
        identity.loginName = entry->pw_name;
    } else if (const char* user = std::getenv("USER"); user != nullptr) {
        identity.loginName = user;
    }
    return identity;
}

} // namespace quillstone
