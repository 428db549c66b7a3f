#pragma once

#include "platform/FileManager.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "support/FakeRunningApplications.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace quillstone::testing {

// A setup session in a temporary home whose process probe and running
// applications are fakes; this process counts as ownPid.
class SetupSessionTest : public ::testing::Test {
protected:
    static constexpr pid_t ownPid = 4242;

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    FakeRunningApplications applications;
    std::set<pid_t> liveProcesses;
    QuillstoneSetupSession session{files, applications, [this](pid_t pid) { return liveProcesses.count(pid) > 0; },
                                   ownPid};
};

} // namespace quillstone::testing
