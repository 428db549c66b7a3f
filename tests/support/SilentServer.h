#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace quillstone::testing {

// An HTTP server on 127.0.0.1 that takes connections into its queue and never
// answers them: a request to it waits for as long as the client lets it.
class SilentServer {
public:
    SilentServer() {
        socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(socket_, 8) != 0 || ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("silent server cannot listen");
        }
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(socket_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // A client has connected and waits.
    bool hasWaitingClient() const {
        pollfd waiting{socket_, POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }

    // The plist with its update manifest address set to this server.
    std::string pointedAt(std::string plist) const {
        const std::string key = "<key>QuillstoneUpdateManifestURL</key>";
        const auto at = plist.find(key);
        if (at == std::string::npos) {
            throw std::runtime_error("no update manifest key");
        }
        const auto end = plist.find("</string>", at);
        plist.replace(at, end - at, key + "<string>" + url("/version.json"));
        return plist;
    }

private:
    int socket_ = -1;
    int port_ = 0;
};

} // namespace quillstone::testing
