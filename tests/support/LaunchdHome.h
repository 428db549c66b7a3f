#pragma once

#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quillstone::testing {

// Running and not a zombie: supervised and detached programs are nobody's child here.
inline bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

// A throwaway home whose launch agents the bundle's launchctl runs under its own
// supervisor, with short throttle and exit time-outs.
class LaunchdHome : public ::testing::Test {
protected:
    LaunchdHome() {
        environment.set("HOME", home.path().string());
        environment.clear("XDG_RUNTIME_DIR");
        environment.clear("XDG_STATE_HOME");
        environment.set("QUILLSTONE_SYSTEMCTL", (home / "no-systemctl").string());
        environment.set("QUILLSTONE_LAUNCHD_THROTTLE", "0.5");
        environment.set("QUILLSTONE_LAUNCHD_EXIT_TIMEOUT", "1");
    }

    // tests/fixtures/fake-systemctl as the user manager, logging to systemctl.log.
    void useFakeSystemctl() {
        const std::filesystem::path fixtures = std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";
        environment.set("QUILLSTONE_SYSTEMCTL", (fixtures / "fake-systemctl").string());
        environment.set("FAKE_SYSTEMCTL_LOG", (home / "systemctl.log").string());
        environment.set("FAKE_SYSTEMCTL_STATE", (home / "systemctl-state").string());
        environment.clear("FAKE_SYSTEMCTL_DOWN");
        environment.clear("FAKE_SYSTEMCTL_FAIL");
    }

    static std::string domain() { return "gui/" + std::to_string(::getuid()); }
    static ProgramRun launch(const std::vector<std::string>& arguments) {
        return ProgramRun::of(std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents/Helpers/launchctl", arguments);
    }

    // Writes ~/Library/LaunchAgents/<label>.plist; `more` is added to its dictionary.
    std::filesystem::path writeAgent(const std::string& label, const std::vector<std::string>& program,
                                     bool runAtLoad, bool keepAlive, const std::string& more = "") {
        auto plist = home / ("Library/LaunchAgents/" + label + ".plist");
        std::string arguments;
        for (const auto& argument : program) {
            arguments += "<string>" + argument + "</string>";
        }
        writeText(plist, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                         "<key>Label</key><string>" + label + "</string>"
                         "<key>ProgramArguments</key><array>" + arguments + "</array>"
                         "<key>RunAtLoad</key><" + (runAtLoad ? "true" : "false") + "/>"
                         "<key>KeepAlive</key><" + (keepAlive ? "true" : "false") + "/>" + more +
                         "</dict></plist>");
        return plist;
    }

    TemporaryFolder home;
    ScopedEnvironment environment;
};

} // namespace quillstone::testing
