#include "platform/ChildProcess.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::waitFor;

namespace {

const std::filesystem::path setupProgram = QUILLSTONE_APP_DIR "/Contents/MacOS/quillstone-setup";

// A private X server; closing windows there is what a window manager's close button does.
class XServer {
public:
    XServer() : server_("/usr/bin/Xvfb", {}) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        // The server writes its display number to an inherited descriptor.
        ::fcntl(ends[1], F_SETFD, 0);
        server_.setArguments({"-displayfd", std::to_string(ends[1]), "-nolisten", "tcp"});
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

std::unique_ptr<ChildProcess> startSetup(const TemporaryFolder& home, const std::string& display,
                                         std::vector<std::string> arguments) {
    // A bus address that leads nowhere: never the real session's, and no X11 autolaunch of one.
    std::vector<std::string> variables{"-u", "WAYLAND_DISPLAY",
                                       "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (home.path() / "no-bus").string(),
                                       "QT_QPA_PLATFORM=xcb", "DISPLAY=" + display,
                                       "HOME=" + home.path().string(),
                                       "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                       "XDG_RUNTIME_DIR=" + home.path().string(), setupProgram.string()};
    variables.insert(variables.end(), arguments.begin(), arguments.end());
    auto child = std::make_unique<ChildProcess>("/usr/bin/env", variables);
    child->setStandardInput(ChildProcess::Stream::null);
    child->setStandardError(ChildProcess::Stream::null);
    child->launch();
    return child;
}

} // namespace

TEST(WindowClosingTest, ClosingTheWizardWindowQuitsTheWizardButNeverTheMonitor) {
    XServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneSetupSession session{files};

    auto monitor = startSetup(home, server.display(), {"--quillstone-sd4-monitor"});
    auto wizard = startSetup(home, server.display(), {});
    ASSERT_TRUE(waitFor([&] { return session.readRecord().has_value(); })) << "the wizard never started";
    ASSERT_TRUE(waitFor([&] { return server.closeWindowsNamed("Quillstone") > 0; })) << "no wizard window";

    // A window can be found before it handles the close request; ask until it goes.
    EXPECT_TRUE(waitFor([&] {
        server.closeWindowsNamed("Quillstone");
        return !wizard->isRunning();
    })) << "closing its window must end the wizard";
    EXPECT_EQ(wizard->terminationReason(), ChildProcess::TerminationReason::exit);
    EXPECT_EQ(wizard->terminationStatus(), 0);
    EXPECT_FALSE(std::filesystem::exists(session.fileURL())) << "the wizard's own record must go with it";

    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(monitor->isRunning()) << "the monitor lives on without windows";
    ::kill(monitor->processIdentifier(), SIGTERM);
    EXPECT_TRUE(waitFor([&] { return !monitor->isRunning(); }));
    EXPECT_EQ(monitor->terminationStatus(), 0);
    if (wizard->isRunning()) {
        wizard->kill();
        wizard->waitUntilExit();
    }
}
