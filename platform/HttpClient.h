#pragma once

#include <string>

namespace quillstone {

struct HttpResponse {
    bool transferred = false; // false: transport failure, no response at all
    int statusCode = 0;       // the HTTP status; 0 when the answer was not HTTP
    std::string body;
};

// A plain GET. Blocking: call it on the background queue and apply the result
// on the main queue.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse get(const std::string& url) = 0;
    // For quitting: every request in flight ends at once as a failed transfer,
    // and every later one fails without going out.
    virtual void cancelAll() {}
};

} // namespace quillstone
