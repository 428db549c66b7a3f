#include "platform/ChildProcess.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"
#include "support/SilentServer.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"
#include "support/XServer.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <thread>
#include <xcb/xcb.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace {

const std::filesystem::path statusProgram =
    QUILLSTONE_APP_DIR "/Contents/Library/LoginItems/Quillstone Status.app/Contents/MacOS/quillstone-status";
const std::string atspiNames = QUILLSTONE_SOURCE_DIR "/tests/fixtures/atspi-names.py";

// A private X server, and what a user sees on it.
class Display {
public:
    Display() : server_({"-screen", "0", "1280x800x24"}), name_(server_.display()) {}

    const std::string& name() const { return name_; }

    // A program of this display, with its own home and the test's session bus.
    std::unique_ptr<ChildProcess> start(const std::filesystem::path& home, std::vector<std::string> command) const {
        std::vector<std::string> arguments{"-u", "WAYLAND_DISPLAY", "DISPLAY=" + name_, "QT_QPA_PLATFORM=xcb",
                                           "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "HOME=" + home.string(),
                                           "XDG_DATA_HOME=" + (home / ".local/share").string(),
                                           "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                           "XDG_RUNTIME_DIR=" + home.string()};
        arguments.insert(arguments.end(), command.begin(), command.end());
        auto child = std::make_unique<ChildProcess>("/usr/bin/env", arguments);
        child->setStandardInput(ChildProcess::Stream::null);
        child->setStandardOutput(ChildProcess::Stream::null);
        child->setStandardError(ChildProcess::Stream::null);
        child->launch();
        return child;
    }

    ProgramRun run(const std::filesystem::path& home, std::vector<std::string> command) const {
        std::vector<std::string> arguments{"DISPLAY=" + name_, "HOME=" + home.string(), "XDG_RUNTIME_DIR=" + home.string()};
        arguments.insert(arguments.end(), command.begin(), command.end());
        return ProgramRun::of("/usr/bin/env", arguments);
    }

    // Mapped windows with this exact name, by xdotool.
    std::vector<std::string> visibleWindows(const std::filesystem::path& home, const std::string& pattern) const {
        std::istringstream lines(run(home, {"xdotool", "search", "--onlyvisible", "--name", pattern}).output);
        std::vector<std::string> windows;
        for (std::string line; std::getline(lines, line);) {
            windows.push_back(line);
        }
        return windows;
    }

    // The window's pixels as the server holds them.
    QImage capture(const std::string& window) const {
        xcb_connection_t* connection = xcb_connect(name_.c_str(), nullptr);
        QImage image;
        const auto id = static_cast<xcb_window_t>(std::stoul(window));
        if (auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr)) {
            if (auto* reply = xcb_get_image_reply(connection,
                                                  xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0,
                                                                geometry->width, geometry->height, ~0u),
                                                  nullptr)) {
                image = QImage(xcb_get_image_data(reply), geometry->width, geometry->height, QImage::Format_RGB32)
                            .copy();
                std::free(reply);
            }
            std::free(geometry);
        }
        xcb_disconnect(connection);
        return image;
    }

private:
    XServer server_;
    std::string name_;
};

class StatusWindowTest : public ::testing::Test {
protected:
    StatusWindowTest() {
        const std::filesystem::path folder = home.path() / "Quillstone";
        writeText(home.path() / ".local/share/Quillstone/configuration.json",
                  R"({"integration":"sd4","quillstoneFolderPath":")" + folder.string() + R"(","version":1})");
        writeText(folder / "backup_status.json",
                  R"({"backups":[{"id":"1","name":"Macintosh HD","status":"SUCCESS","completedAt":"2024-05-01T10:20:30Z","freeSpace":"412 GB"},)"
                  R"({"id":"2","name":"Photos","status":"FAILED","completedAt":"2024-05-01T11:20:30Z"}]})");
    }
    ~StatusWindowTest() override {
        for (auto* child : {status.get(), tray.get()}) {
            if (child != nullptr && child->isRunning()) {
                child->kill();
                child->waitUntilExit();
            }
        }
    }

    ProgramRun accessibleTree(const std::vector<std::string>& options) {
        std::vector<std::string> command{"/usr/bin/python3", atspiNames, "Quillstone Status"};
        command.insert(command.end(), options.begin(), options.end());
        return display.run(home.path(), command);
    }

    // The program's window that is not its panel: the item, embedded in the tray.
    std::string trayItem() {
        std::istringstream found(
            display.run(home.path(), {"xdotool", "search", "--classname", "quillstone-status"}).output);
        for (std::string window; std::getline(found, window);) {
            if (display.run(home.path(), {"xdotool", "getwindowname", window}).output != "Quillstone\n") {
                return window;
            }
        }
        return "";
    }

    TemporaryFolder home;
    PrivateSessionBus bus;
    Display display;
    std::unique_ptr<ChildProcess> tray;
    std::unique_ptr<ChildProcess> status;
};

TEST_F(StatusWindowTest, WithoutTrayTheWindowOpensNamesEveryTextAndStaysAlone) {
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    status = display.start(home.path(), {statusProgram.string()});
    std::vector<std::string> windows;
    ASSERT_TRUE(waitFor([&] { return !(windows = display.visibleWindows(home.path(), "^Quillstone$")).empty(); }))
        << "no window titled Quillstone";

    const ProgramRun tree = accessibleTree({"--wait", "Photos"});
    ASSERT_EQ(tree.status, 0) << tree.output << tree.errors;
    // Each label reads as drawn in the panel's own tests; here, that they reach the accessibility bus.
    for (const char* line : {"label\tMonitor stopped", "label\tMacintosh HD", "label\tAttention needed",
                             "label\t412 GB", "push button\tRefresh Quillstone status",
                             "push button\tRestart monitor", "push button\tStop App"}) {
        EXPECT_NE(tree.output.find(std::string(line) + "\t"), std::string::npos) << line << "\n" << tree.output;
    }
    QDir().mkpath(QStringLiteral(QUILLSTONE_BUILD_DIR "/screenshots"));
    EXPECT_TRUE(display.capture(windows.front()).save(QStringLiteral(QUILLSTONE_BUILD_DIR "/screenshots/status-window-xvfb.png")));

    // Started again, it hands over to the running one and leaves.
    EXPECT_EQ(display.run(home.path(), {"QT_QPA_PLATFORM=xcb", statusProgram.string()}).status, 0);
    EXPECT_TRUE(status->isRunning());
    EXPECT_EQ(display.visibleWindows(home.path(), "^Quillstone$").size(), 1u);

    // A tray that turns up later gets the item; the window stays.
    tray = display.start(home.path(), {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                                       "100", "--height", "24"});
    EXPECT_TRUE(waitFor([&] { return !trayItem().empty(); })) << "no tray item after the tray appeared";
    EXPECT_EQ(display.visibleWindows(home.path(), "^Quillstone$").size(), 1u);

    EXPECT_EQ(accessibleTree({"--press", "Stop App"}).status, 0);
    EXPECT_TRUE(waitFor([&] { return !status->isRunning(); })) << "Stop App must end the program";
    EXPECT_EQ(status->terminationStatus(), 0);
}

TEST_F(StatusWindowTest, WithTrayOnlyTheItemShowsUntilItIsClicked) {
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    tray = display.start(home.path(), {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                       "--width", "100", "--height", "24"});
    std::vector<std::string> trayPanel;
    ASSERT_TRUE(waitFor([&] {
        return !(trayPanel = display.visibleWindows(home.path(), "^panel$")).empty();
    })) << "no tray";
    status = display.start(home.path(), {statusProgram.string()});
    std::string item;
    ASSERT_TRUE(waitFor([&] { return !(item = trayItem()).empty(); })) << "no tray item";
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(display.visibleWindows(home.path(), "^Quillstone$").empty()) << "the panel waits for a click";

    display.run(home.path(), {"xdotool", "mousemove", "--window", item, "11", "11", "click", "1"});
    EXPECT_TRUE(waitFor([&] { return !display.visibleWindows(home.path(), "^Quillstone$").empty(); }))
        << "a click on the item opens the panel";
    display.run(home.path(), {"xdotool", "mousemove", "--window", item, "11", "11", "click", "1"});
    EXPECT_TRUE(waitFor([&] { return display.visibleWindows(home.path(), "^Quillstone$").empty(); }))
        << "a second click closes it";

    // Reopened at once: Qt may still hold the hidden panel as its focus window.
    display.run(home.path(), {"xdotool", "mousemove", "--window", item, "11", "11", "click", "1"});
    std::vector<std::string> panel;
    ASSERT_TRUE(waitFor([&] { return !(panel = display.visibleWindows(home.path(), "^Quillstone$")).empty(); }));
    // Mapped comes before focused; a user clicks elsewhere only once the panel has it.
    ASSERT_TRUE(waitFor([&] {
        return display.run(home.path(), {"xdotool", "getwindowfocus"}).output == panel.front() + "\n";
    })) << "the opened panel takes the focus";
    display.run(home.path(), {"xdotool", "windowfocus", trayPanel.front()});
    EXPECT_TRUE(waitFor([&] { return display.visibleWindows(home.path(), "^Quillstone$").empty(); }))
        << "the panel goes when it loses the focus";
}

TEST_F(StatusWindowTest, StopAppEndsTheProgramAtOnceWhileTheUpdateServerHangs) {
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    SilentServer server;
    const auto bundle = home.path() / "Quillstone Status.app";
    std::filesystem::copy(statusProgram.parent_path().parent_path().parent_path(), bundle,
                          std::filesystem::copy_options::recursive);
    writeText(bundle / "Contents/Info.plist", server.pointedAt(readText(bundle / "Contents/Info.plist")));
    // It starts, too, with a temporary folder that does not exist.
    status = display.start(home.path(), {"TMPDIR=" + (home.path() / "no-such-folder").string(),
                                         (bundle / "Contents/MacOS/quillstone-status").string()});
    ASSERT_TRUE(waitFor([&] { return server.hasWaitingClient(); })) << "no update check";

    ASSERT_EQ(accessibleTree({"--press", "Stop App"}).status, 0);
    EXPECT_TRUE(waitFor([&] { return !status->isRunning(); }, 1s)) << "Stop App waited for the update server";
    const ProgramRun owner = ProgramRun::of(
        "/usr/bin/dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                               "org.freedesktop.DBus.NameHasOwner", "string:com.quillstone.Quillstone-Setup.Status"});
    EXPECT_NE(owner.output.find("boolean false"), std::string::npos) << owner.output << owner.errors;
}

} // namespace
