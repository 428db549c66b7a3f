#include "helpers/launchctl/ProcessIdentity.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillstone;

TEST(ProcessIdentity, TellsAProcessFromALaterOneWithTheSamePid) {
    auto self = ProcessIdentity::of(::getpid());
    ASSERT_TRUE(self);
    EXPECT_TRUE(self->isAlive());
    auto decoded = ProcessIdentity::decode(self->encode());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, *self);

    auto reused = *self;
    reused.startTime += 1;
    EXPECT_FALSE(reused.isAlive());
    auto otherBoot = *self;
    otherBoot.bootId = "00000000-0000-0000-0000-000000000000";
    EXPECT_FALSE(otherBoot.isAlive());
}

TEST(ProcessIdentity, RejectsRecordsThatNameNoProcess) {
    EXPECT_FALSE(ProcessIdentity::decode(""));
    EXPECT_FALSE(ProcessIdentity::decode("abc 1 x"));
    EXPECT_FALSE(ProcessIdentity::decode("0 1 x"));
    EXPECT_FALSE(ProcessIdentity::decode("-5 1 x"));
    EXPECT_FALSE(ProcessIdentity::of(0));
    EXPECT_FALSE(ProcessIdentity::of(-1));
}
