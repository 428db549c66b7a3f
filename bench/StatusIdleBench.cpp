// What an idle Quillstone Status costs: its panel open on an X server, a 5 s
// refresh with nothing new to show. Resident memory, processor time of the
// program and the launchctl runs it waits for, and how often the window is
// drawn again (X damage reports), over a minute by default.
// Arguments: [seconds] [entries] [padding bytes per entry], e.g. "30 100000 1900"
// for a 200 MB status file that the app must refuse without reading it.
#include "platform/ChildProcess.h"
#include "support/PrivateSessionBus.h"
#include "support/TemporaryFolder.h"
#include "support/XServer.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quillstone;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

const fs::path statusProgram =
    QUILLSTONE_APP_DIR "/Contents/Library/LoginItems/Quillstone Status.app/Contents/MacOS/quillstone-status";

// utime + stime of the process and of the children it has waited for, in seconds.
struct ProcessorTime {
    double own = 0;
    double children = 0;
};

ProcessorTime processorTime(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) {
        values.push_back(value);
    }
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    // After the command: state is field 3, utime 14 ... cstime 17.
    auto field = [&](int number) { return std::stod(values.at(static_cast<size_t>(number - 3))) / tick; };
    return {field(14) + field(15), field(16) + field(17)};
}

// A line "Key:   123 kB" of a /proc file, in KiB.
long procKiB(pid_t pid, const std::string& file, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::stol(line.substr(key.size() + 1));
        }
    }
    return 0;
}

long residentKiB(pid_t pid) { return procKiB(pid, "status", "VmRSS"); }

// The top-level window named "Quillstone", or none.
xcb_window_t findPanel(xcb_connection_t* connection) {
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_window_t found = XCB_WINDOW_NONE;
    if (auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr)) {
        xcb_window_t* children = xcb_query_tree_children(tree);
        for (int index = 0; index < xcb_query_tree_children_length(tree) && found == XCB_WINDOW_NONE; ++index) {
            auto* name = xcb_get_property_reply(
                connection,
                xcb_get_property(connection, 0, children[index], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                nullptr);
            if (name != nullptr && std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                               static_cast<size_t>(xcb_get_property_value_length(name))) == "Quillstone") {
                found = children[index];
            }
            std::free(name);
        }
        std::free(tree);
    }
    return found;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string padding(argc > 3 ? static_cast<size_t>(std::atol(argv[3])) : 0, 'x');
    testing::TemporaryFolder home;
    const fs::path folder = home.path() / "Quillstone";
    // Entries two days old: their ages change once an hour, not during the run.
    char completed[32];
    const std::time_t twoDaysAgo = std::time(nullptr) - 2 * 86400;
    std::strftime(completed, sizeof completed, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&twoDaysAgo));
    {
        fs::create_directories(home.path() / ".local/share/Quillstone");
        fs::create_directories(folder);
        std::ofstream(home.path() / ".local/share/Quillstone/configuration.json")
            << R"({"integration":"sd4","quillstoneFolderPath":")" << folder.string() << R"(","version":1})";
        std::ofstream backups(folder / "backup_status.json");
        backups << R"({"backups":[)";
        for (int index = 0; index < entries; ++index) {
            backups << (index ? "," : "") << R"({"id":")" << index << R"(","name":"Disk )" << index
                    << R"(","status":"SUCCESS","completedAt":")" << completed << R"(","freeSpace":"412 GB")";
            if (!padding.empty()) {
                backups << R"(,"summary":")" << padding << '"';
            }
            backups << '}';
        }
        backups << "]}";
    }

    testing::PrivateSessionBus bus;
    testing::XServer server;
    const std::string display = server.display();
    if (display.empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    ChildProcess status("/usr/bin/env", {"-u", "WAYLAND_DISPLAY", "DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                                         "HOME=" + home.path().string(),
                                         "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                         "XDG_RUNTIME_DIR=" + home.path().string(), statusProgram.string()});
    status.setStandardInput(ChildProcess::Stream::null);
    status.setStandardOutput(ChildProcess::Stream::null);
    status.setStandardError(ChildProcess::Stream::null);
    status.launch();

    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    xcb_window_t panel = XCB_WINDOW_NONE;
    for (int attempt = 0; attempt < 200 && panel == XCB_WINDOW_NONE; ++attempt) {
        std::this_thread::sleep_for(50ms);
        panel = findPanel(connection);
    }
    if (panel == XCB_WINDOW_NONE) {
        std::fprintf(stderr, "no panel window\n");
        return 1;
    }
    const auto* extension = xcb_get_extension_data(connection, &xcb_damage_id);
    std::free(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr));
    // Let start-up, the first drawing and the first update check pass.
    std::this_thread::sleep_for(6s);
    const xcb_damage_damage_t damage = xcb_generate_id(connection);
    xcb_damage_create(connection, damage, panel, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    // A new damage object reports what the window already holds; take that away first.
    xcb_flush(connection);
    std::this_thread::sleep_for(500ms);
    xcb_damage_subtract(connection, damage, XCB_NONE, XCB_NONE);
    xcb_flush(connection);
    std::this_thread::sleep_for(200ms);
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        std::free(event);
    }

    const pid_t pid = status.processIdentifier();
    // env execs the program, so its process is the child itself.
    const ProcessorTime before = processorTime(pid);
    const auto start = steady_clock::now();
    const auto startMinute = duration_cast<minutes>(system_clock::now().time_since_epoch()).count();
    int repaints = 0;
    std::string repaintTimes;
    long peakKiB = 0;
    while (steady_clock::now() - start < std::chrono::seconds(seconds)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == extension->first_event + XCB_DAMAGE_NOTIFY) {
                ++repaints;
                char when[32];
                std::snprintf(when, sizeof when, " %.1f s", duration<double>(steady_clock::now() - start).count());
                repaintTimes += when;
                // Non-empty level: one report until the damage is taken away.
                xcb_damage_subtract(connection, damage, XCB_NONE, XCB_NONE);
                xcb_flush(connection);
            }
            std::free(event);
        }
        peakKiB = std::max(peakKiB, residentKiB(pid));
        std::this_thread::sleep_for(100ms);
    }
    const double elapsed = duration<double>(steady_clock::now() - start).count();
    const ProcessorTime after = processorTime(pid);
    const auto minuteChanges = duration_cast<minutes>(system_clock::now().time_since_epoch()).count() - startMinute;
    const long residentAtEnd = residentKiB(pid);
    // The share of the libraries other programs map too, counted once per user.
    const long proportionalAtEnd = procKiB(pid, "smaps_rollup", "Pss");
    const long anonymousAtEnd = procKiB(pid, "status", "RssAnon");
    const long highWaterKiB = procKiB(pid, "status", "VmHWM");
    xcb_disconnect(connection);
    if (!status.isRunning()) {
        std::fprintf(stderr, "Quillstone Status ended during the run (%s %d)\n",
                     status.terminationReason() == ChildProcess::TerminationReason::exit ? "status" : "signal",
                     status.terminationStatus());
        return 1;
    }
    status.terminate();
    status.waitUntilExit();

    const double own = after.own - before.own;
    const double children = after.children - before.children;
    std::printf("Quillstone Status idle over %.0f s (panel open, %d entries in %.1f MB, refresh every 5 s)\n", elapsed,
                entries, static_cast<double>(fs::file_size(folder / "backup_status.json")) / 1e6);
    std::printf("  resident memory: %.1f MiB at the end, %.1f MiB peak while idle, %.1f MiB peak since start "
                "(target <= 32 MiB); %.1f MiB proportional, %.1f MiB anonymous\n",
                residentAtEnd / 1024.0, peakKiB / 1024.0, highWaterKiB / 1024.0, proportionalAtEnd / 1024.0,
                anonymousAtEnd / 1024.0);
    std::printf("  processor time: %.0f ms program + %.0f ms launchctl children = %.3f %% of one core "
                "(target <= 0.1 %%)\n",
                own * 1000, children * 1000, 100 * (own + children) / elapsed);
    std::printf("  repaints: %d (at%s), with %lld change(s) of the minute shown in \"Last refreshed\"\n", repaints,
                repaints ? repaintTimes.c_str() : " no time", static_cast<long long>(minuteChanges));
    return 0;
}
