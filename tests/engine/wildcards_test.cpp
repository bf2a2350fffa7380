// Wildcard searches through the C interface: a name cut by a short buffer
// is not lost, it comes again with the room the first call reported.
#include <gtest/gtest.h>

#include <string>

#include "core/codes.h"
#include "crqx.h"

using namespace crqx;

namespace {

class WildcardsTest : public ::testing::Test {
protected:
    void SetUp() override {
        int status = -1;
        qzvini(&status);
        ASSERT_EQ(HSUCC, status);
        qzvopwk(&status, &dbkey_);
        ASSERT_EQ(HSUCC, status);
        for (std::string name : {"A", "LONGER_NAME", "Z"}) {
            qzvnwob(&status, dbkey_, name.data(), HSERIE, HDAILY, HNUMRC, HBSDAY, HOBEND);
            ASSERT_EQ(HSUCC, status) << name;
        }
    }
    void TearDown() override {
        int status = -1;
        qzvfin(&status);
    }
    int dbkey_ = 0;
};

TEST_F(WildcardsTest, ExtendedSearchStaysOnANameThatDidNotFit) {
    char pattern[] = "*", start[] = " ";
    int key = 0, class_ = 0, type = 0, freq = 0, first = 0, last = 0, outlen = 0;
    ASSERT_EQ(HSUCC, zavo_init_wildcard(dbkey_, &key, pattern, 0, start));
    char name[32];
    auto next = [&](int inlen) {
        return zavo_get_next_wildcard(key, name, &class_, &type, &freq, &first, &last, inlen,
                                      &outlen);
    };
    ASSERT_EQ(HSUCC, next(4));
    EXPECT_STREQ("A", name);
    EXPECT_EQ(HTRUNC, next(4));
    EXPECT_EQ(11, outlen);
    EXPECT_EQ(HTRUNC, next(4)) << "still the same name";
    ASSERT_EQ(HSUCC, next(outlen));
    EXPECT_STREQ("LONGER_NAME", name);
    ASSERT_EQ(HSUCC, next(outlen));
    EXPECT_STREQ("Z", name);
    EXPECT_EQ(HNOOBJ, next(outlen));
    EXPECT_EQ(HSUCC, zavo_free_wildcard(key));
}

TEST_F(WildcardsTest, ClassicSearchStaysOnANameThatDidNotFit) {
    char pattern[] = "*";
    int status = -1, class_ = 0, type = 0, freq = 0;
    qzvinwc(&status, dbkey_, pattern);
    ASSERT_EQ(HSUCC, status);
    std::string shorter = "    ", room(HNAMLEN, ' ');
    qzvnxwc(&status, dbkey_, shorter.data(), &class_, &type, &freq);
    EXPECT_EQ(HSUCC, status);
    shorter = "    ";
    qzvnxwc(&status, dbkey_, shorter.data(), &class_, &type, &freq);
    EXPECT_EQ(HTRUNC, status);
    qzvnxwc(&status, dbkey_, room.data(), &class_, &type, &freq);
    EXPECT_EQ(HSUCC, status);
    EXPECT_STREQ("LONGER_NAME", room.c_str());
}

}  // namespace
