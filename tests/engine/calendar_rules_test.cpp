// Calendar rules: periods per year for every count, frequency names in full
// and by three letters, and the reading rules of frequency texts and
// literals.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "calendar/convert.h"
#include "calendar/date_index.h"
#include "calendar/frequency.h"
#include "calendar/literal.h"
#include "calendar/picture.h"

#include "calendar_support.h"

using namespace crqx;
using namespace crqx::calendar;
using namespace crqx::calendar::test_support;

namespace {

int parse(const std::string& text) {
    int code = -1;
    EXPECT_EQ(parse_frequency(text, code).code(), HSUCC) << "'" << text << "'";
    return code;
}

int32_t literal_index(int freq, const std::string& text, int expected_status = HSUCC) {
    int32_t index = 12345;
    EXPECT_EQ(parse_literal(F(freq), text, kCalendarYear, 0, 2026, index).code(), expected_status)
        << text;
    return index;
}

int32_t day_index(int freq, CivilDay day) {
    int32_t index = 0;
    EXPECT_EQ(day_to_index(F(freq), day, HCONT, index).code(), HSUCC);
    return index;
}

}  // namespace

// ---- Periods per year ------------------------------------------------------

class PeriodsPerYear : public ::testing::TestWithParam<int> {};

TEST_P(PeriodsPerYear, EveryMonthBuildsAValidCodeThatRoundTrips) {
    const int count = GetParam();
    // Month 0 is December, except that (HAPPY, 1, 0, 0) is the constant itself.
    EXPECT_EQ(compose(HAPPY, count, 0, 0), count == 1 ? HAPPY : compose(HAPPY, count, 0, HDEC));
    std::set<int> codes;
    for (int month = 0; month <= 12; ++month) {
        const int code = compose(HAPPY, count, 0, month);
        if (month > 0) codes.insert(code);
        ASSERT_TRUE(describe_frequency(code)) << count << " " << month << " -> " << code;
        EXPECT_EQ(code, compose(HAPPY, count, 0, month)) << "the code is stable";
        FrequencyParts parts;
        ASSERT_EQ(decompose_frequency(code, parts).code(), HSUCC);
        EXPECT_EQ(compose(parts.base, parts.nunits, parts.year, parts.month), code);
        EXPECT_EQ(parse(frequency_name(code)), code) << frequency_name(code);
        for (int year : {1, 1970, 2020, 2024, 9999}) {
            int n = 0;
            ASSERT_EQ(periods_in_year(F(code), year, n).code(), HSUCC);
            EXPECT_EQ(n, count) << code << " in " << year;
        }
    }
    // One code per cycle of end months: month m and m + 12 / count alike.
    const size_t cycles = count >= 12 ? 1 : 12 / count;
    EXPECT_EQ(codes.size(), cycles) << count;
}

INSTANTIATE_TEST_SUITE_P(EveryListedCount, PeriodsPerYear,
                         ::testing::Values(1, 2, 3, 4, 6, 12, 24, 36));

TEST(PeriodsPerYear, FourMonthPeriodsHaveACompoundCodePerCycle) {
    // Periods ending Jan/May/Sep, Feb/Jun/Oct, Mar/Jul/Nov, Apr/Aug/Dec.
    for (int month = HJAN; month <= HDEC; ++month) {
        const int code = compose(HAPPY, 3, 0, month);
        EXPECT_GE(code, 1 << kCompoundShift);
        EXPECT_EQ(code, compose(HAPPY, 3, 0, (month + 3) % 12 + 1)) << month;
        EXPECT_NE(code, compose(HAPPY, 3, 0, month % 12 + 1)) << month;
        EXPECT_EQ(base_frequency(code), HAPPY);
        FrequencyParts parts;
        ASSERT_EQ(decompose_frequency(code, parts).code(), HSUCC);
        EXPECT_EQ(parts, (FrequencyParts{HAPPY, 3, 0, HDEC - (HDEC - month) % 4}));
    }
    EXPECT_EQ(compose(HAPPY, 3), compose(HAPPY, 3, 0, HDEC));
    const int code = parse("3 PERIODSPERYEAR(MAR)");
    EXPECT_EQ(code, compose(HAPPY, 3, 0, HNOV));
    EXPECT_EQ(frequency_name(code), "3 PERIODSPERYEAR(NOVEMBER)");
    // December-March, April-July, August-November: 2020-12-15 is period 1 of 2021.
    EXPECT_EQ(day_index(code, {2020, 12, 15}), day_index(code, {2021, 3, 31}));
    EXPECT_NE(day_index(code, {2021, 3, 31}), day_index(code, {2021, 4, 1}));
    int32_t index = day_index(code, {2021, 8, 1});
    int year = 0, period = 0;
    ASSERT_EQ(index_to_year_period(F(code), index, kCalendarYear, year, period).code(), HSUCC);
    EXPECT_EQ(year, 2021);
    EXPECT_EQ(period, 3);
    std::string text;
    ASSERT_EQ(format_literal(F(code), index, kCalendarYear, text).code(), HSUCC);
    EXPECT_EQ(text, "2021P3");
    EXPECT_EQ(literal_index(code, "2021p3"), index);
    literal_index(code, "2021P4", HBPER);
    ASSERT_EQ(format_picture(F(code), index, "YYYY/P", kCalendarYear, text).code(), HSUCC);
    EXPECT_EQ(text, "2021/3");
    int32_t scanned = 0;
    ASSERT_EQ(scan_picture(F(code), "2021/3", "YYYY/P", kCalendarYear, 0, 2026, scanned).code(),
              HSUCC);
    EXPECT_EQ(scanned, index);
    EXPECT_TRUE(frequency_divides(F(HMONTH), F(code)));
    EXPECT_FALSE(frequency_divides(F(HQTDEC), F(code)));
    EXPECT_TRUE(frequency_divides(F(code), F(HANNOV)));
    EXPECT_FALSE(frequency_divides(F(code), F(HANDEC)));
}

TEST(PeriodsPerYear, UnlistedCountsAreRefused) {
    for (int count : {0, -1, 5, 7, 8, 9, 10, 11, 13, 18, 48, 365}) {
        int code = 777;
        EXPECT_EQ(compose_frequency({HAPPY, count, 0, 0}, code).code(), HBUNIT) << count;
        EXPECT_EQ(code, 777);
    }
    int code = 0;
    EXPECT_EQ(parse_frequency("5 PERIODSPERYEAR", code).code(), HBFREQ);
}

// ---- Names -----------------------------------------------------------------

struct NameRow {
    const char* text;
    int expected;  // -1: refused
};

class FrequencyNames : public ::testing::TestWithParam<NameRow> {};

TEST_P(FrequencyNames, ReadAsDocumented) {
    const NameRow row = GetParam();
    int code = -1;
    const Status st = parse_frequency(row.text, code);
    if (row.expected < 0) {
        EXPECT_EQ(st.code(), HBFREQ) << row.text << " gave " << code;
        EXPECT_NE(st.message().find(row.text), std::string::npos) << st.message();
    } else {
        EXPECT_EQ(st.code(), HSUCC) << row.text;
        EXPECT_EQ(code, row.expected) << row.text;
    }
}

// Every name in full and by its first three letters.
INSTANTIATE_TEST_SUITE_P(
    FullAndThreeLetters, FrequencyNames,
    ::testing::Values(
        NameRow{"DAILY", HDAILY}, NameRow{"DAI", HDAILY}, NameRow{"BUSINESS", HBUSNS},
        NameRow{"BUS", HBUSNS}, NameRow{"WEEKLY(FRIDAY)", HWKFRI}, NameRow{"WEE(FRI)", HWKFRI},
        NameRow{"WEE", HWKSUN}, NameRow{"WEEKPATTERN(MON,WED)", compose(HWEEK_PATTERN, 0x0A)},
        NameRow{"WEEKPATTERN", HWEEK_PATTERN}, NameRow{"WEE(MON,WED)", -1},
        NameRow{"BIWEEKLY(AFRIDAY)", HWAFRI}, NameRow{"BIW(AFR)", HWAFRI},
        NameRow{"BIWEEKLY(AFRI)", HWAFRI}, NameRow{"BIWEEKLY(bsa)", HWBSAT},
        NameRow{"BIWEEKLY(BTH)", HWBTHU}, NameRow{"BIWEEKLY(CFR)", -1}, NameRow{"BIWEEKLY(AF)", -1},
        NameRow{"TENDAY", HTENDA}, NameRow{"TEN", HTENDA}, NameRow{"TWICEMONTHLY", HTWICM},
        NameRow{"TWI", HTWICM}, NameRow{"MONTHLY", HMONTH}, NameRow{"MON", HMONTH},
        NameRow{"BIMONTHLY(NOVEMBER)", HBMNOV}, NameRow{"BIM(NOV)", HBMNOV},
        NameRow{"QUARTERLY(MARCH)", HQTDEC}, NameRow{"QUA(MAR)", HQTDEC},
        NameRow{"SEMIANNUAL(AUGUST)", HSMAUG}, NameRow{"SEM(FEB)", HSMAUG},
        NameRow{"ANNUAL(JUNE)", HANJUN}, NameRow{"ann(jun)", HANJUN},
        NameRow{"2 MILLISECONDLY", compose(HMSEC, 2)}, NameRow{"2 MIL", compose(HMSEC, 2)},
        NameRow{"2 SECONDLY", compose(HSEC, 2)}, NameRow{"2 SEC", compose(HSEC, 2)},
        NameRow{"2 MINUTELY", compose(HMIN, 2)}, NameRow{"2 MIN", compose(HMIN, 2)},
        NameRow{"2 HOURLY", compose(HHOUR, 2)}, NameRow{"2 HOU", compose(HHOUR, 2)},
        NameRow{"HOU", HHOUR}, NameRow{"PERIODSPERYEAR", HAPPY}, NameRow{"PER", HAPPY},
        NameRow{"6 PER(JAN)", HBMNOV}, NameRow{"YEARSPERPERIOD", HAYPP}, NameRow{"YEA", HAYPP},
        NameRow{"3 YEA(JUN, 2001)", compose(HAYPP, 3, 2001, HJUN)}, NameRow{"CASE", HCASEX},
        NameRow{"CAS", HCASEX},
        // Only the full word or exactly three letters.
        NameRow{"DA", -1}, NameRow{"DAIL", -1}, NameRow{"MONTH", -1}, NameRow{"QUART(MAR)", -1},
        NameRow{"ANNUAL(JU)", -1}, NameRow{"ANNUAL(JUNI)", -1}));

// Aliases are read in full only.
INSTANTIATE_TEST_SUITE_P(Aliases, FrequencyNames,
                         ::testing::Values(NameRow{"YEARLY", HANDEC},
                                           NameRow{"YEARLY(JUNE)", HANJUN},
                                           NameRow{"SEMIMONTHLY", HTWICM},
                                           NameRow{"UNDATED", HCASEX}, NameRow{"UND", -1},
                                           NameRow{"SEMIMON", -1}));

// Case and blanks, underscores and hyphens between letters do not matter;
// a number stays whole.
INSTANTIATE_TEST_SUITE_P(
    CaseAndSpaces, FrequencyNames,
    ::testing::Values(NameRow{" D A I L Y ", HDAILY}, NameRow{"SEMI ANNUAL", HSMDEC},
                      NameRow{"Semi_Annual(June)", HSMDEC}, NameRow{"twice-monthly", HTWICM},
                      NameRow{"2MINUTELY", compose(HMIN, 2)},
                      NameRow{"  15   minutely ", compose(HMIN, 15)},
                      NameRow{"weekly ( fri day )", HWKFRI},
                      NameRow{"WEEK PATTERN(MON, TUE)", compose(HWEEK_PATTERN, 6)},
                      NameRow{"3 YEARSPERPERIOD( JUNE , 2001 )", compose(HAYPP, 3, 2001, HJUN)},
                      NameRow{"1 2 MINUTELY", -1}, NameRow{"MINUTELY 2", -1},
                      NameRow{"2 MINUTELY 2", -1}, NameRow{"3 YEARSPERPERIOD(JUN, 20 01)", -1},
                      NameRow{"DAILY)", -1}, NameRow{"DAILY()", -1}, NameRow{"DAILY(", -1},
                      NameRow{"DAILY (MON) X", -1}, NameRow{"", -1}, NameRow{" ", -1}));

// What a name means when its arguments are left out.
INSTANTIATE_TEST_SUITE_P(
    Defaults, FrequencyNames,
    ::testing::Values(NameRow{"WEEKLY", HWKSUN}, NameRow{"BIWEEKLY", HWASUN},
                      NameRow{"BIMONTHLY", HBIMON}, NameRow{"QUARTERLY", HQTDEC},
                      NameRow{"SEMIANNUAL", HSMDEC}, NameRow{"ANNUAL", HANDEC},
                      NameRow{"4 PERIODSPERYEAR", HQTDEC},
                      NameRow{"2 YEARSPERPERIOD", compose(HAYPP, 2, 0, HDEC)}));

// ---- One calendar, several codes -------------------------------------------

TEST(Codes, PeriodsAndYearsPerPeriodConstantsAreDecemberYearsUnderTheirOwnCodes) {
    EXPECT_EQ(compose(HAPPY, 1), HAPPY);
    EXPECT_EQ(compose(HAYPP, 1), HAYPP);
    EXPECT_EQ(compose(HAPPY, 1, 0, HDEC), HANDEC);
    EXPECT_EQ(compose(HAYPP, 1, 0, HDEC), HANDEC);
    for (int alias : {HAPPY, HAYPP}) {
        EXPECT_TRUE(frequency_divides(F(alias), F(HANDEC)));
        EXPECT_TRUE(frequency_divides(F(HANDEC), F(alias)));
        for (CivilDay day : {CivilDay{1, 1, 1}, CivilDay{1969, 12, 31}, CivilDay{2020, 7, 31},
                             CivilDay{9999, 12, 31}})
            EXPECT_EQ(day_index(alias, day), day_index(HANDEC, day));
        EXPECT_EQ(literal_index(alias, "2020"), literal_index(HANDEC, "2020"));
    }
    // Every other calendar has one code: no two constants share periods.
    std::vector<int> constants;
    for (int code = 1; code < 256; ++code)
        if (code != HAPPY && code != HAYPP && describe_frequency(code)) constants.push_back(code);
    for (int a : constants) {
        for (int b : constants) {
            if (a == b) continue;
            EXPECT_FALSE(frequency_divides(F(a), F(b)) && frequency_divides(F(b), F(a)))
                << a << " " << b;
        }
    }
}

// ---- Literals --------------------------------------------------------------

TEST(LiteralRules, WeeklyAndBiweeklyAcceptAnyDayOfThePeriod) {
    // Friday 2020-07-31 is day 13 of the cycle (a B-Friday): HWBFRI's period
    // ending then runs from Saturday 2020-07-18.
    const int32_t biweek = day_index(HWBFRI, {2020, 7, 31});
    EXPECT_EQ(day_index(HWBFRI, {2020, 7, 18}), biweek);
    for (int day = 18; day <= 31; ++day)
        EXPECT_EQ(literal_index(HWBFRI, "2020-07-" + std::to_string(day)), biweek) << day;
    EXPECT_EQ(literal_index(HWBFRI, "2020-07-17"), biweek - 1);
    EXPECT_EQ(literal_index(HWBFRI, "2020-08-01"), biweek + 1);
    const int32_t week = day_index(HWKFRI, {2020, 7, 31});
    for (int day = 25; day <= 31; ++day)
        EXPECT_EQ(literal_index(HWKFRI, "2020-07-" + std::to_string(day)), week);
    literal_index(HBUSNS, "2020-08-01", HBDATE);  // a Saturday: between business days
}

TEST(LiteralRules, ABlankStandsForTheTimeSeparatorOnly) {
    EXPECT_EQ(literal_index(HMIN, "2020-07-31 13:45"), literal_index(HMIN, "2020-07-31T13:45"));
    EXPECT_EQ(literal_index(HTENDA, "2020T05"), literal_index(HTENDA, "2020t5"));
    const std::pair<int, const char*> refused[] = {{HTENDA, "2020 T05"},
                                                   {HTENDA, "2020T 05"},
                                                   {HMONTH, "2020 M07"},
                                                   {HMIN, "2020-07-31  13:45"}};
    for (auto [freq, text] : refused) literal_index(freq, text, HBDATE);
}

TEST(LiteralRules, AYearInWhichNoMultiYearPeriodEndsHasNoPeriod) {
    const int two_years = compose(HAYPP, 2, 2020, HDEC);
    const int32_t index = literal_index(two_years, "2020");
    EXPECT_EQ(literal_index(two_years, "2022"), index + 1);
    int32_t untouched = 7;
    const Status st = parse_literal(F(two_years), "2021", kCalendarYear, 0, 2026, untouched);
    EXPECT_EQ(st.code(), HBPER);
    EXPECT_EQ(untouched, 7);
    EXPECT_NE(st.message().find("2021"), std::string::npos) << st.message();
}
