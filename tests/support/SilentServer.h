#pragma once

#include "support/LocalHttpServer.h"

namespace quillstone::testing {

// A request to it waits for as long as the client lets it.
class SilentServer : public LocalHttpServer {
public:
    SilentServer() : LocalHttpServer(Mode::silent) {}
};

} // namespace quillstone::testing
