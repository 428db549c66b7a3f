// How soon the wizard's window is on screen: from starting the program (as
// launched by the user, with the bundle's real helpers answering its start-up
// questions) to its window being mapped on a private X server, fresh home each time.
#include "platform/ChildProcess.h"
#include "support/FakeBundles.h"
#include "support/TemporaryFolder.h"
#include "support/XServer.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <poll.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

const fs::path builtBundle = QUILLSTONE_APP_DIR;

// The built bundle without an update server, so nothing waits on the network.
fs::path offlineBundle(const fs::path& folder) {
    const fs::path bundle = folder / "Quillstone.app";
    writeText(bundle / "Contents/Info.plist",
              bundleInfoPlist("com.quillstone.Quillstone-Setup", "quillstone-setup", "2.3", "40"));
    for (const char* part : {"MacOS", "Helpers", "Resources"}) {
        fs::copy(builtBundle / "Contents" / part, bundle / "Contents" / part, fs::copy_options::recursive);
    }
    return bundle;
}

std::string windowName(xcb_connection_t* connection, xcb_window_t window) {
    auto* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr);
    std::string name;
    if (reply != nullptr) {
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
    }
    return name;
}

// Waits for a top-level window named `title` to be mapped; false after the time-out.
bool waitForMappedWindow(xcb_connection_t* connection, const std::string& title, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd waiting{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (std::chrono::steady_clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                                windowName(connection, reinterpret_cast<xcb_map_notify_event_t*>(event)->window) == title;
            std::free(event);
            if (mapped) {
                return true;
            }
        }
        ::poll(&waiting, 1, 50);
    }
    return false;
}

void WizardStartToWindowShown(benchmark::State& state) {
    XServer server;
    TemporaryFolder folder;
    const fs::path bundle = offlineBundle(folder.path());
    xcb_connection_t* connection = xcb_connect(server.display().c_str(), nullptr);
    if (server.display().empty() || xcb_connection_has_error(connection)) {
        state.SkipWithError("no private X server");
        xcb_disconnect(connection);
        return;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    for (auto _ : state) {
        TemporaryFolder home;
        ChildProcess wizard("/usr/bin/env",
                            {"-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", "DISPLAY=" + server.display(),
                             "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (home.path() / "no-bus").string(),
                             "HOME=" + home.path().string(),
                             "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                             "XDG_RUNTIME_DIR=" + home.path().string(),
                             (bundle / "Contents/MacOS/quillstone-setup").string()});
        wizard.setStandardInput(ChildProcess::Stream::null);
        wizard.setStandardError(ChildProcess::Stream::null);
        const auto started = std::chrono::steady_clock::now();
        wizard.launch();
        const bool shown = waitForMappedWindow(connection, "Quillstone", std::chrono::seconds(20));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        wizard.terminate();
        wizard.waitUntilExit();
        if (!shown) {
            state.SkipWithError("the wizard showed no window");
            break;
        }
        state.SetIterationTime(elapsed.count());
    }
    xcb_disconnect(connection);
}
BENCHMARK(WizardStartToWindowShown)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
