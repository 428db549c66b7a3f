#include "helpers/launchctl/Launchctl.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

// An agent property list as the launchctl stand-in reads it from disk for
// bootstrap and bootout: an exit status and a message, never a crash, and
// nothing bootstrapped without a label and a program.
namespace {

using namespace quillstone;

class OneFile : public FileManager {
public:
    explicit OneFile(std::string bytes) : bytes_(std::move(bytes)) {}
    const UserDomain& userDomain() const override { return domain_; }
    bool fileExists(const std::filesystem::path&) const override { return true; }
    std::string readFile(const std::filesystem::path&) const override { return bytes_; }
    void createDirectories(const std::filesystem::path&) override { refuse(); }
    void replaceAtomically(const std::filesystem::path&, const std::string&, mode_t) override { refuse(); }
    bool createIfMissing(const std::filesystem::path&, const std::string&, mode_t) override { refuse(); }
    void appendToExisting(const std::filesystem::path&, const std::string&) override { refuse(); }
    void removeFile(const std::filesystem::path&) override { refuse(); }
    void setPermissions(const std::filesystem::path&, mode_t) override { refuse(); }

private:
    [[noreturn]] static void refuse() { throw std::runtime_error("read only"); }
    std::string bytes_;
    UserDomain domain_ = UserDomain::rootedAt("/nonexistent");
};

class CheckingServices : public ServiceManager {
public:
    void bootstrap(const LaunchAgentDefinition& definition, const std::filesystem::path&) override {
        if (definition.label.empty() || definition.programArguments.empty()) {
            std::abort();
        }
    }
    void bootout(const std::string& label) override {
        if (label.empty()) {
            std::abort();
        }
    }
    std::optional<ServiceStatus> status(const std::string&) override { return std::nullopt; }
    void kickstart(const std::string&, bool) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OneFile files(std::string(reinterpret_cast<const char*>(data), size));
    CheckingServices services;
    std::ostringstream output, errors;
    Launchctl launchctl([&]() -> ServiceManager& { return services; }, files, HelperToolMap("/nonexistent"),
                        [](const std::string&, const std::vector<std::string>&) { return 127; }, ::getuid(), output,
                        errors);
    const std::string domain = "gui/" + std::to_string(::getuid());
    for (const char* verb : {"bootstrap", "bootout"}) {
        int status = launchctl.run({verb, domain, "/agent.plist"});
        if (status != 0 && errors.str().empty()) {
            std::abort();
        }
    }
    return 0;
}
