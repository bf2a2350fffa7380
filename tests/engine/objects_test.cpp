// Object names and wildcard patterns: one case per line.
#include <gtest/gtest.h>

#include <string>

#include "objects/names.h"

using namespace crqx;

namespace {

struct NameCase {
    const char* name;
    bool extra_dots;
    int expected;
};

TEST(ObjectNames, FollowTheRules) {
    const std::string longest(HNAMLEN, 'a');
    const NameCase cases[] = {
        {"gdp", false, HSUCC},   {"GDP.us_2$%#@", false, HSUCC},
        {"a1", false, HSUCC},    {longest.c_str(), false, HSUCC},
        {"", false, HBOBJT},     {"1abc", false, HBOBJT},
        {"_abc", false, HBOBJT}, {"a b", false, HBOBJT},
        {"a*b", false, HBOBJT},  {"a?b", false, HBOBJT},
        {"a-b", false, HBOBJT},  {"caf\xc3\xa9", false, HBOBJT},
        {"a..b", false, HBOBJT}, {"a.", false, HBOBJT},
        {"a..b", true, HSUCC},   {"a.", true, HSUCC},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(c.expected, objects::check_name(c.name, c.extra_dots).code())
            << "'" << c.name << "'";
    EXPECT_EQ(HNTOOLONG, objects::check_name(longest + "a", false).code());
}

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

TEST(Wildcards, MatchCaseInsensitively) {
    const MatchCase cases[] = {
        {"*", "anything", true},     {"gdp", "GDP", true},
        {"g?p", "gdp", true},        {"g?p", "gp", false},
        {"g*p", "gp", true},         {"g*p", "gxxxp", true},
        {"g*p", "gxxxq", false},     {"*.us", "gdp.US", true},
        {"*.us", "gdp.usa", false},  {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYc Z", false}, {"??", "ab", true},
        {"??", "abc", false},        {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(c.matches, objects::wildcard_match(c.pattern, c.name))
            << c.pattern << " vs " << c.name;
}

TEST(Wildcards, PatternsAreChecked) {
    EXPECT_EQ(HSUCC, objects::check_pattern("a*?.b").code());
    EXPECT_EQ(HBOBJT, objects::check_pattern("").code());
    EXPECT_EQ(HBOBJT, objects::check_pattern("a b").code());
    EXPECT_EQ(HNTOOLONG, objects::check_pattern(std::string(HNAMLEN + 1, '*')).code());
}

}  // namespace
