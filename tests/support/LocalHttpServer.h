#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace quillstone::testing {

// An HTTP/1.0 server on 127.0.0.1 with a canned answer per path (404 for the
// rest) that counts the requests it was sent; or, silent, one that takes
// connections into its queue and never answers them.
class LocalHttpServer {
public:
    enum class Mode { answering, silent };

    explicit LocalHttpServer(Mode mode = Mode::answering)
        : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("local HTTP server cannot listen");
        }
        port_ = ntohs(address.sin_port);
        if (mode == Mode::answering) {
            thread_ = std::thread([this] { serve(); });
        }
    }
    ~LocalHttpServer() {
        stopping_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(listener_);
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void answer(const std::string& path, int status, std::string body) {
        std::lock_guard lock(mutex_);
        answers_[path] = {status, std::move(body)};
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int requestCount() const { return requests_; }
    // A client has connected and waits (silent servers only).
    bool hasWaitingClient() const {
        pollfd waiting{listener_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }

    // The plist with its update manifest address set to this server.
    std::string pointedAt(std::string plist) const {
        const std::string key = "<key>QuillstoneUpdateManifestURL</key>";
        const auto at = plist.find(key);
        if (at == std::string::npos) {
            throw std::runtime_error("no update manifest key");
        }
        plist.replace(at, plist.find("</string>", at) - at, key + "<string>" + url("/version.json"));
        return plist;
    }

    // An address on which nothing listens any more: the connection is refused.
    static std::string refusedUrl(const std::string& path) { return LocalHttpServer(Mode::silent).url(path); }

private:
    void serve() {
        while (!stopping_) {
            pollfd ready{listener_, POLLIN, 0};
            const int client =
                ::poll(&ready, 1, 20) == 1 ? ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
            if (client >= 0) {
                handle(client);
                ::close(client);
            }
        }
    }
    void handle(int client) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd ready{client, POLLIN, 0};
            const auto got = ::poll(&ready, 1, 2000) == 1 ? ::read(client, buffer, sizeof buffer) : -1;
            if (got <= 0) {
                return;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        ++requests_;
        auto start = request.find(' ') + 1;
        auto path = request.substr(start, request.find(' ', start) - start);
        std::pair<int, std::string> reply{404, "not found"};
        {
            std::lock_guard lock(mutex_);
            if (auto found = answers_.find(path); found != answers_.end()) {
                reply = found->second;
            }
        }
        const auto& [status, body] = reply;
        std::string text = "HTTP/1.0 " + std::to_string(status) + " Canned\r\nContent-Type: application/json\r\n" +
                           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        // A blocking socket takes the whole of a canned answer in one call.
        ::send(client, text.data(), text.size(), MSG_NOSIGNAL);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    std::map<std::string, std::pair<int, std::string>> answers_; // status and body by path
    std::thread thread_;
};

} // namespace quillstone::testing
