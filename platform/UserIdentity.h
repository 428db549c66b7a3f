#pragma once

#include <string>
#include <sys/types.h>

namespace quillstone {

// Who this process runs for: the real user id and the login name.
struct UserIdentity {
    uid_t userID = 0;
    std::string loginName;

    // getuid() and its passwd entry ($USER when there is none).
    static UserIdentity current();
};

} // namespace quillstone
