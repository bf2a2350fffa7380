// A bounded fuzz of frequency texts, codes and parts: every input gets a
// status, never a crash, and what is accepted is a valid code that names and
// takes apart consistently. Run under the sanitizers it also catches reads of
// empty optionals, overflows and out-of-bounds access on these paths.
//   CRQX_FUZZ_ITERATIONS  inputs per test (default 20000)
//   CRQX_FUZZ_SEED        the random seed (default: fixed, so runs repeat)
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "calendar/frequency.h"
#include "calendar/literal.h"
#include "crqx.h"

using namespace crqx;
using namespace crqx::calendar;

namespace {

int env_int(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

class CalendarFuzz : public ::testing::Test {
protected:
    const int iterations = env_int("CRQX_FUZZ_ITERATIONS", 20000);
    const unsigned seed = static_cast<unsigned>(env_int("CRQX_FUZZ_SEED", 20261208));
    std::mt19937 rng{seed};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[below(static_cast<int>(items.size()))];
    }

    // Any int, with the small and the boundary values that matter most likely.
    int any_int() {
        switch (below(5)) {
            case 0: return below(300) - 20;
            case 1:
                return pick(std::vector<int>{INT_MIN, INT_MIN + 1, -1, 0, 1, 255, 256, 1 << 23,
                                             INT_MAX - 1, INT_MAX});
            case 2: return static_cast<int>(rng());
            default: return below(1 << 16) - (1 << 10);
        }
    }

    // A code that looks compound: a random payload on a base that has them.
    int compound_like() {
        const int base = pick(std::vector<int>{HAPPY, HAYPP, HWEEK_PATTERN, HMSEC, HSEC, HMIN,
                                               HHOUR, HDAILY, HMONTH});
        const int payload = below(2) ? below(1 << 12) : static_cast<int>(rng() >> 9);
        return (payload << kCompoundShift) | base;
    }

    // Text made of the pieces frequency texts are made of, and of noise.
    std::string frequency_text() {
        static const std::vector<std::string> pieces = {"DAILY",
                                                        "DAI",
                                                        "BUSINESS",
                                                        "WEEKLY",
                                                        "WEE",
                                                        "WEEKPATTERN",
                                                        "BIWEEKLY",
                                                        "BIW",
                                                        "TENDAY",
                                                        "TWICEMONTHLY",
                                                        "MONTHLY",
                                                        "MON",
                                                        "BIMONTHLY",
                                                        "QUARTERLY",
                                                        "QUA",
                                                        "SEMIANNUAL",
                                                        "SEM",
                                                        "ANNUAL",
                                                        "ANN",
                                                        "YEARLY",
                                                        "SEMIMONTHLY",
                                                        "UNDATED",
                                                        "MILLISECONDLY",
                                                        "SECONDLY",
                                                        "MINUTELY",
                                                        "MIN",
                                                        "HOURLY",
                                                        "PERIODSPERYEAR",
                                                        "PER",
                                                        "YEARSPERPERIOD",
                                                        "YEA",
                                                        "CASE",
                                                        "(",
                                                        ")",
                                                        ",",
                                                        " ",
                                                        "  ",
                                                        "_",
                                                        "-",
                                                        "JANUARY",
                                                        "JUN",
                                                        "DEC",
                                                        "FRIDAY",
                                                        "FRI",
                                                        "AFRIDAY",
                                                        "AFR",
                                                        "BSA",
                                                        "A",
                                                        "B",
                                                        "0",
                                                        "1",
                                                        "3",
                                                        "12",
                                                        "15",
                                                        "36",
                                                        "60",
                                                        "100",
                                                        "2147483647",
                                                        "2147483648",
                                                        "99999999999",
                                                        "-1",
                                                        "2001",
                                                        "\t",
                                                        "((",
                                                        "))",
                                                        "\xff",
                                                        "\x80",
                                                        "\x01",
                                                        "(,)"};
        std::string text;
        const int n = below(8);
        for (int k = 0; k < n; ++k) {
            if (below(6) == 0)
                text += static_cast<char>(1 + below(255));  // any byte but NUL
            else
                text += pick(pieces);
        }
        return text;
    }
};

// An accepted code is valid, its parts build it again and its name reads back.
void expect_consistent(int code, const std::string& context) {
    SCOPED_TRACE(context + " -> code " + std::to_string(code));
    ASSERT_TRUE(describe_frequency(code));
    FrequencyParts parts;
    ASSERT_EQ(decompose_frequency(code, parts).code(), HSUCC);
    int again = -1;
    ASSERT_EQ(compose_frequency(parts, again).code(), HSUCC);
    EXPECT_EQ(again, code);
    EXPECT_EQ(base_frequency(code), parts.base);
    const std::string name = frequency_name(code);
    int named = -1;
    ASSERT_EQ(parse_frequency(name, named).code(), HSUCC) << name;
    EXPECT_EQ(named, code) << name;
}

}  // namespace

TEST_F(CalendarFuzz, FrequencyTextsGetAStatusAndAcceptedOnesAreConsistent) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    int accepted = 0;
    for (int i = 0; i < iterations; ++i) {
        const std::string text = frequency_text();
        int code = -7;
        const Status st = parse_frequency(text, code);
        if (!st.ok()) {
            ASSERT_EQ(st.code(), HBFREQ) << text;
            ASSERT_EQ(code, -7) << text;
            continue;
        }
        ++accepted;
        expect_consistent(code, "'" + text + "'");
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(accepted, 0) << "the generator should reach valid texts too";
}

TEST_F(CalendarFuzz, CodesAreEitherValidAndConsistentOrRefused) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int i = 0; i < iterations; ++i) {
        const int code = below(2) ? any_int() : compound_like();
        FrequencyParts parts{-1, -1, -1, -1};
        const Status st = decompose_frequency(code, parts);
        if (!describe_frequency(code)) {
            ASSERT_EQ(st.code(), HBFREQ) << code;
            ASSERT_EQ(parts, (FrequencyParts{-1, -1, -1, -1}));
            ASSERT_EQ(frequency_name(code), "");
            continue;
        }
        expect_consistent(code, "code");
        if (HasFatalFailure()) return;
    }
}

TEST_F(CalendarFuzz, PartsGiveAStatusAndBuiltCodesAreConsistent) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::vector<int> statuses = {HSUCC, HBFREQ, HBUNIT, HBYEAR, HBMONT};
    for (int i = 0; i < iterations; ++i) {
        const FrequencyParts parts{
            below(3) ? below(260) : any_int(), below(2) ? below(140) : any_int(),
            below(2) ? below(3000) * below(2) : any_int(), below(4) ? below(16) - 2 : any_int()};
        int code = -7;
        const Status st = compose_frequency(parts, code);
        const std::string context = "parts " + std::to_string(parts.base) + " " +
                                    std::to_string(parts.nunits) + " " +
                                    std::to_string(parts.year) + " " + std::to_string(parts.month);
        ASSERT_NE(std::find(statuses.begin(), statuses.end(), st.code()), statuses.end())
            << context;
        if (!st.ok()) {
            ASSERT_EQ(code, -7) << context;
            continue;
        }
        expect_consistent(code, context);
        if (HasFatalFailure()) return;
    }
}

TEST_F(CalendarFuzz, LiteralsOfRandomTextGetAStatus) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::vector<int> codes;
    for (int code = 1; code < 256; ++code)
        if (describe_frequency(code)) codes.push_back(code);
    for (int i = 0; codes.size() < 120 && i < 100000; ++i) {
        const int code = compound_like();
        if (describe_frequency(code)) codes.push_back(code);
    }
    static const std::vector<std::string> pieces = {
        "2020", "20", "-", "07", "31", "T", " ", ":",     "45", ".", "250",
        "Q",    "M",  "P", "H",  "B",  "S", "3", "99999", "0",  "x", "\xff"};
    for (int i = 0; i < iterations; ++i) {
        const Frequency f = *describe_frequency(pick(codes));
        std::string text;
        for (int k = below(7); k > 0; --k) text += pick(pieces);
        int32_t index = 0;
        const Fiscal fiscal{below(14), HFYFST + below(4) - 1};
        const Status st = parse_literal(f, text, fiscal, any_int(), 2026, index);
        if (!st.ok()) continue;
        std::string back;
        ASSERT_EQ(format_literal(f, index, fiscal, back).code(), HSUCC)
            << f.code << " '" << text << "'";
    }
}

// The C entry points over the same inputs: a status every time, outputs
// written only on success.
TEST_F(CalendarFuzz, EntryPointsAnswerWithAStatus) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    int status = -1;
    qzvini(&status);
    ASSERT_EQ(status, HSUCC);
    for (int i = 0; i < iterations; ++i) {
        std::string text = frequency_text();
        int parsed = -7;
        const int parse_status = zavo_parse_frequency(&parsed, text.data());
        ASSERT_TRUE(parse_status == HSUCC || parse_status == HBFREQ) << text;
        ASSERT_TRUE(parse_status == HSUCC || parsed == -7) << text;

        int built = -7;
        qzvpfrq(&status, &built, any_int(), below(2) ? below(40) : any_int(),
                below(3000) * below(2), below(15) - 1);
        ASSERT_TRUE(status == HSUCC || built == -7) << status;
        const int code = status == HSUCC ? built : (below(2) ? any_int() : compound_like());
        int base = -7, nunits = -7, year = -7, month = -7;
        qzvufrq(&status, code, &base, &nunits, &year, &month);
        if (status != HSUCC) {
            ASSERT_EQ(status, HBFREQ);
            ASSERT_EQ(base, -7);
            continue;
        }
        int again = -7;
        qzvpfrq(&status, &again, base, nunits, year, month);
        ASSERT_EQ(status, HSUCC) << code;
        ASSERT_EQ(again, code);
    }
    qzvfin(&status);
    EXPECT_EQ(status, HSUCC);
}
