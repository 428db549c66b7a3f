#include "platform/qt/QtHttpClient.h"

#include <gtest/gtest.h>

using namespace quillstone;

// Answers, server errors and refused connections are fetched for real by the wizard's update check tests.
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
