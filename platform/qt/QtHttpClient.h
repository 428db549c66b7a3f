#pragma once

#include "platform/HttpClient.h"

#include <mutex>
#include <set>

class QNetworkReply;

namespace quillstone {

// GET over Qt Network, usable from any thread (each call runs its own event
// loop). Only https is fetched, and http to a loopback host, where tests run
// their local server; every other address counts as a failed transfer.
class QtHttpClient : public HttpClient {
public:
    static constexpr int transferTimeoutMilliseconds = 60'000;

    HttpResponse get(const std::string& url) override;
    void cancelAll() override;
    static bool isFetchable(const std::string& url);

private:
    // Replies waiting in some thread's get(); each leaves the set before it is deleted.
    std::mutex lock_;
    std::set<QNetworkReply*> inFlight_;
    bool cancelled_ = false;
};

} // namespace quillstone
