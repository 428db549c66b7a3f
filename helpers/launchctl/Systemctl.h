#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// `systemctl --user …`: the one way the stand-in talks to the systemd user manager.
class Systemctl {
public:
    struct Result {
        int status = 0;
        std::string output;
    };
    virtual ~Systemctl() = default;
    // Runs systemctl --user with the arguments; throws when it cannot be started.
    virtual Result run(const std::vector<std::string>& arguments) = 0;
};

// The real systemctl, run directly with an argument vector.
class ProcessSystemctl : public Systemctl {
public:
    explicit ProcessSystemctl(std::filesystem::path program) : program_(std::move(program)) {}
    Result run(const std::vector<std::string>& arguments) override;
    // True when a user manager answers; never throws.
    bool answers();

private:
    std::filesystem::path program_;
};

} // namespace quillstone
