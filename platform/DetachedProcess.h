#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// Starts a program that outlives its starter: a new session, standard streams
// on the null device, working folder "/", default signal handling, reparented
// away from us so nobody has to reap it.
// Throws ProcessLaunchError when the program could not be executed.
void launchDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments);

} // namespace quillstone
