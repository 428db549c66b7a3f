#pragma once

#include <string>
#include <sys/types.h>

struct sd_bus;

namespace quillstone {

// Brings a running application forward through the freedesktop Application
// interface, but only when the owner of its bus name is the process named:
// the answer is about that process, not about whoever holds the name.
class SdBusApplicationActivator {
public:
    SdBusApplicationActivator(std::string busName, std::string objectPath);

    // False when there is no bus, the name's owner is another process, or no answer came in time.
    bool activate(sd_bus* bus, pid_t processIdentifier) const;

private:
    std::string busName_;
    std::string objectPath_;
};

} // namespace quillstone
