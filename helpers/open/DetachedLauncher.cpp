#include "helpers/open/DetachedLauncher.h"

#include "platform/DetachedProcess.h"

namespace quillstone {

void DetachedLauncher::launch(const std::filesystem::path& executable, const std::vector<std::string>& arguments) {
    launchDetached(executable, arguments);
}

} // namespace quillstone
