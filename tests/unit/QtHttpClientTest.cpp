#include "platform/qt/QtHttpClient.h"
#include "support/CoreApplicationScope.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

TEST(QtHttpClientTest, OnlyHttpsAndLoopbackHttpAreFetched) {
    for (const char* fine : {"https://quillstone.app/version.json", "http://127.0.0.1:8080/version.json",
                             "http://localhost/version.json", "http://[::1]:9/version.json"}) {
        EXPECT_TRUE(QtHttpClient::isFetchable(fine)) << fine;
    }
    for (const char* refused : {"http://quillstone.app/version.json", "http://10.0.0.1/version.json",
                                "ftp://127.0.0.1/version.json", "file:///etc/passwd", "", "https://"}) {
        EXPECT_FALSE(QtHttpClient::isFetchable(refused)) << refused;
    }
}

TEST(QtHttpClientTest, StatusAndBodyComeBackAndRefusedConnectionsAreNoTransfer) {
    CoreApplicationScope application;
    LocalHttpServer server;
    server.answer("/version.json", 200, "{\"version\":\"2.4\"}");
    server.answer("/broken.json", 500, "oops");
    QtHttpClient client;
    auto found = client.get(server.url("/version.json"));
    EXPECT_TRUE(found.transferred);
    EXPECT_EQ(found.statusCode, 200);
    EXPECT_EQ(found.body, "{\"version\":\"2.4\"}");
    auto failed = client.get(server.url("/broken.json"));
    EXPECT_TRUE(failed.transferred);
    EXPECT_EQ(failed.statusCode, 500);
    EXPECT_EQ(client.get(server.url("/missing")).statusCode, 404);
    EXPECT_FALSE(client.get(LocalHttpServer::refusedUrl("/version.json")).transferred);
    EXPECT_EQ(server.requestCount(), 3);
}
