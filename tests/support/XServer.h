#pragma once

#include "platform/ChildProcess.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace quillstone::testing {

// A private X server; closing windows there is what a window manager's close button does.
class XServer {
public:
    explicit XServer(std::vector<std::string> extraArguments = {}) : server_("/usr/bin/Xvfb", {}) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        // The server writes its display number to an inherited descriptor.
        ::fcntl(ends[1], F_SETFD, 0);
        std::vector<std::string> arguments{"-displayfd", std::to_string(ends[1]), "-nolisten", "tcp"};
        arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
        server_.setArguments(std::move(arguments));
        server_.setStandardOutput(ChildProcess::Stream::null);
        server_.setStandardError(ChildProcess::Stream::null);
        try {
            server_.launch();
        } catch (const ProcessLaunchError&) {
        }
        ::close(ends[1]);
        std::string number;
        char character;
        while (::read(ends[0], &character, 1) == 1 && character != '\n') {
            number.push_back(character);
        }
        ::close(ends[0]);
        if (!number.empty()) {
            display_ = ":" + number;
        }
    }
    ~XServer() {
        if (server_.hasLaunched()) {
            server_.terminate();
            server_.waitUntilExit();
        }
    }

    const std::string& display() const { return display_; }

    // Asks every top-level window named `title` to close (WM_DELETE_WINDOW); the number asked.
    int closeWindowsNamed(const std::string& title) const {
        xcb_connection_t* connection = xcb_connect(display_.c_str(), nullptr);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return 0;
        }
        auto atom = [&](const char* name) {
            auto* reply = xcb_intern_atom_reply(
                connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
            xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
            std::free(reply);
            return value;
        };
        const xcb_atom_t protocols = atom("WM_PROTOCOLS");
        const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
        xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
        int asked = 0;
        if (tree != nullptr) {
            xcb_window_t* children = xcb_query_tree_children(tree);
            for (int index = 0; index < xcb_query_tree_children_length(tree); ++index) {
                auto* name = xcb_get_property_reply(
                    connection,
                    xcb_get_property(connection, 0, children[index], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                    nullptr);
                bool matches = name != nullptr &&
                               std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                           static_cast<size_t>(xcb_get_property_value_length(name))) == title;
                std::free(name);
                if (!matches) {
                    continue;
                }
                xcb_client_message_event_t event{};
                event.response_type = XCB_CLIENT_MESSAGE;
                event.format = 32;
                event.window = children[index];
                event.type = protocols;
                event.data.data32[0] = deleteWindow;
                event.data.data32[1] = XCB_CURRENT_TIME;
                xcb_send_event(connection, 0, children[index], XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char*>(&event));
                ++asked;
            }
            std::free(tree);
        }
        xcb_flush(connection);
        xcb_disconnect(connection);
        return asked;
    }

private:
    ChildProcess server_;
    std::string display_;
};

} // namespace quillstone::testing
