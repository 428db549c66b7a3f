#include "helpers/launchctl/ServiceManagerChoice.h"

#include "helpers/launchctl/SupervisedServiceManager.h"

namespace quillstone {

ServiceManagerChoice::ServiceManagerChoice(FileManager& files, char** environment) : files_(files) {
    for (char** entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        environment_.emplace_back(*entry);
    }
}

ServiceManagerChoice::~ServiceManagerChoice() = default;

ServiceManager& ServiceManagerChoice::manager() {
    if (!manager_) {
        state_.emplace(files_, SupervisorStateFolder::defaultRoot());
        manager_ = std::make_unique<SupervisedServiceManager>(*state_, SupervisorSettings::fromEnvironment(),
                                                              environment_);
    }
    return *manager_;
}

} // namespace quillstone
