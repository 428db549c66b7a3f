#pragma once

#include "platform/HttpClient.h"

namespace quillstone {

// GET over Qt Network, usable from any thread (each call runs its own event
// loop). Only https is fetched, and http to a loopback host, where tests run
// their local server; every other address counts as a failed transfer.
class QtHttpClient : public HttpClient {
public:
    static constexpr int transferTimeoutMilliseconds = 60'000;

    HttpResponse get(const std::string& url) override;
    static bool isFetchable(const std::string& url);
};

} // namespace quillstone
