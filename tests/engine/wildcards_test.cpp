// Wildcard searches through the C interface: a name cut by a short buffer
// is not lost, it comes again with the room the first call reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// A pattern's literal prefix narrows the walk of the name index; the
// matches must be exactly those a walk of every name finds.
TEST(WildcardPrefixes, MatchExactlyWhatAFullWalkFinds) {
    int status = -1, dbkey = 0;
    qzvini(&status);
    qzvopwk(&status, &dbkey);
    const char* names[] = {"S", "S1", "s10", "S1_X", "S2", "S19.Z", "T1", "R9", "S1Z9"};
    for (std::string name : names) {
        qzvnwob(&status, dbkey, name.data(), HSERIE, HDAILY, HNUMRC, HBSDAY, HOBEND);
        ASSERT_EQ(HSUCC, status) << name;
    }
    auto found = [&](std::string pattern, std::string start) {
        int key = 0;
        EXPECT_EQ(HSUCC, zavo_init_wildcard(dbkey, &key, pattern.data(), 0, start.data()));
        std::string all;
        char name[64];
        int c, t, f, first, last, outlen;
        while (zavo_get_next_wildcard(key, name, &c, &t, &f, &first, &last, 63, &outlen) == HSUCC)
            all += std::string(name) + " ";
        zavo_free_wildcard(key);
        return all;
    };
    const struct {
        const char *pattern, *start, *want;
    } cases[] = {
        {"S1*", " ", "S1 s10 S19.Z S1Z9 S1_X "},
        {"s1*", " ", "S1 s10 S19.Z S1Z9 S1_X "},
        {"S1**", " ", "S1 s10 S19.Z S1Z9 S1_X "},
        {"*", " ", "R9 S S1 s10 S19.Z S1Z9 S1_X S2 T1 "},
        {"*", "S2", "S2 T1 "},
        {"S1?", " ", "s10 "},
        {"S1*9", " ", "S1Z9 "},
        {"S*", "S1_", "S1_X S2 "},
        {"S1*", "S2", ""},
        {"ZZ*", " ", ""},
        {"*1", " ", "S1 T1 "},
        {"?1*", " ", "S1 s10 S19.Z S1Z9 S1_X T1 "},
    };
    for (const auto& c : cases) EXPECT_EQ(c.want, found(c.pattern, c.start)) << c.pattern;

    // What a search hands out of each match is its object's, prefix or not.
    int range[3];
    ASSERT_EQ(HSUCC, zavo_init_range_from_indexes(range, HDAILY, 7, 9));
    float values[3] = {1, 2, 3};
    ASSERT_EQ(HSUCC, zavo_write_numerics(dbkey, const_cast<char*>("S2"), range, values));
    for (const char* pattern : {"S2*", "S2", "?2"}) {
        int key = 0, c = 0, t = 0, f = 0, first = 0, last = 0, outlen = 0;
        char name[64];
        ASSERT_EQ(HSUCC, zavo_init_wildcard(dbkey, &key, const_cast<char*>(pattern), 0,
                                            const_cast<char*>(" ")));
        ASSERT_EQ(HSUCC, zavo_get_next_wildcard(key, name, &c, &t, &f, &first, &last, 63, &outlen));
        EXPECT_EQ((std::vector<int>{HSERIE, HNUMRC, HDAILY, 7, 9, 2}),
                  (std::vector<int>{c, t, f, first, last, outlen}))
            << pattern;
        zavo_free_wildcard(key);
    }
    qzvfin(&status);
}

}  // namespace
