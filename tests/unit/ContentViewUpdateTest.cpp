#include "support/CoreApplicationScope.h"
#include "support/LocalHttpServer.h"
#include "support/WizardFakes.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

std::string manifest(const std::string& version, int build) {
    return R"({"version":")" + version + R"(","build":)" + std::to_string(build) +
           R"(,"downloadURL":"https://quillstone.example/download"})";
}

class UpdateCheck : public WizardStateTest {
protected:
    // Runs one whole check against the local server with the bundle's version and build.
    void check(std::optional<std::string> version, std::optional<std::string> build, std::string address = {}) {
        writeBundle(version, build, address.empty() ? server.url("/version.json") : address);
        view->checkForUpdate();
        while (backgroundQueue.runNext()) {
        }
        mainQueue.runAll();
    }

    CoreApplicationScope application;
    LocalHttpServer server;
};

TEST_F(UpdateCheck, OffersOnlyANewerRelease) {
    struct Case {
        std::string manifestVersion;
        int manifestBuild;
        std::optional<std::string> version, build;
        bool offered;
    };
    start();
    for (const Case& c : {Case{"2.3", 41, "2.3", "40", true}, Case{"2.3", 41, "2.3", "41", false},
                          Case{"2.3", 41, "2.3", "42", false}, Case{"2.10", 1, "2.9", "99", true},
                          Case{"2.3.0", 41, "2.3", "40", true}, Case{"3", 0, "2.99.99", "99", true},
                          Case{"2.3", 99, "2.3.1", "0", false}, Case{"2.3", 1, std::nullopt, "5", true},
                          Case{"2.2", 6, std::nullopt, "5", true}, Case{"2.2", 5, std::nullopt, "5", false}}) {
        server.answer("/version.json", 200, manifest(c.manifestVersion, c.manifestBuild));
        check(c.version, c.build);
        EXPECT_EQ(view->availableUpdate().has_value(), c.offered)
            << c.manifestVersion << "/" << c.manifestBuild << " against " << c.version.value_or("none");
    }
}

TEST_F(UpdateCheck, AnAnswerArrivingAfterTheWindowClosedIsDropped) {
    server.answer("/version.json", 200, manifest("2.4", 1));
    writeBundle("2.3", "40", server.url("/version.json"));
    start().checkForUpdate();
    backgroundQueue.runNext();
    view.reset();
    EXPECT_EQ(mainQueue.runAll(), 1u);
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(UpdateCheck, ServerErrorsRemoveTheOfferOtherFailuresKeepItAndNoAddressAsksNothing) {
    struct Case {
        std::string name;
        int status;
        std::string body;
        std::string address;
        bool offered;
    };
    start();
    const std::string good = manifest("2.4", 1);
    for (const Case& c : {
             Case{"not JSON", 200, "<html>", "", true},
             Case{"refused", 200, good, LocalHttpServer::refusedUrl("/version.json"), true},
             Case{"not found", 404, good, "", false},
         }) {
        SCOPED_TRACE(c.name);
        server.answer("/version.json", 200, good);
        check("2.3", "40");
        ASSERT_TRUE(view->availableUpdate());
        server.answer("/version.json", c.status, c.body);
        check("2.3", "40", c.address);
        EXPECT_EQ(view->availableUpdate().has_value(), c.offered);
        if (c.offered) {
            EXPECT_EQ(view->availableUpdate()->version, "2.4");
        }
    }
    writeBundle("2.3", "40", "");
    view->checkForUpdate();
    EXPECT_EQ(backgroundQueue.size(), 0u) << "no manifest address, no check";
}

} // namespace
