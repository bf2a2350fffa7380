// Calendar core: frequencies, date indexes, year/period, fiscal years,
// days, times and frequency change.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "calendar/convert.h"
#include "calendar/date_index.h"
#include "calendar/frequency.h"
#include "calendar/picture.h"

#include "calendar_support.h"

using namespace crqx;
using namespace crqx::calendar;
using namespace crqx::calendar::test_support;

namespace {

// Every frequency constant plus a few compound codes.
std::vector<int> all_frequencies() {
    std::vector<int> codes;
    for (int code = 1; code < 256; ++code)
        if (describe_frequency(code)) codes.push_back(code);
    codes.push_back(compose(HMIN, 15));
    codes.push_back(compose(HSEC, 90));
    codes.push_back(compose(HMSEC, 250));
    codes.push_back(compose(HHOUR, 6));
    codes.push_back(compose(HAYPP, 3, 2001, HJUN));
    codes.push_back(compose(HWEEK_PATTERN, 0x2A));  // Monday, Wednesday, Friday
    return codes;
}

int32_t day_index(int code, int y, int m, int d, int relate = HCONT) {
    int32_t idx = 0;
    EXPECT_EQ(day_to_index(F(code), {y, m, d}, relate, idx).code(), HSUCC)
        << code << " " << y << "-" << m << "-" << d;
    return idx;
}

// Indexes spread over a frequency's whole span, ends included.
std::vector<int64_t> sample_indexes(const Frequency& f) {
    const IndexSpan s = valid_span(f);
    std::vector<int64_t> out;
    const int64_t step = std::max<int64_t>(1, (s.last - s.first) / 997);
    for (int64_t i = s.first; i <= s.last; i += step) out.push_back(i);
    for (int64_t k = 0; k < 40; ++k) out.push_back(s.last - k), out.push_back(s.first + k);
    return out;
}

}  // namespace

TEST(Frequency, EveryConstantIsValidAndUndefinedIsNot) {
    const int constants[] = {HDAILY, HBUSNS, HWKSUN, HWKSAT,       HTENDA, HWASUN, HWBSAT,
                             HTWICM, HMONTH, HBMNOV, HBIMON,       HQTOCT, HQTDEC, HANJAN,
                             HANDEC, HSMJUL, HSMDEC, HAYPP,        HAPPY,  HSEC,   HMIN,
                             HHOUR,  HMSEC,  HCASEX, HWEEK_PATTERN};
    for (int c : constants) EXPECT_TRUE(describe_frequency(c)) << c;
    EXPECT_EQ(all_frequencies().size(), 57u + 6u);
    for (int bad : {int{HUNDFX}, -1, 7, 23, 255, 1 << 30, (60 << kCompoundShift) | HSEC,
                    (1 << kCompoundShift) | HMIN, (5 << kCompoundShift) | HDAILY})
        EXPECT_FALSE(describe_frequency(bad)) << bad;
}

TEST(Frequency, ComposeCanonicalisesToOneCodePerCalendar) {
    struct Row {
        FrequencyParts parts;
        int expected;
    };
    const Row rows[] = {
        {{HMONTH, 1, 0, 0}, HMONTH},
        {{HSEC, 60, 0, 0}, HMIN},
        {{HMIN, 60, 0, 0}, HHOUR},
        {{HMSEC, 1000, 0, 0}, HSEC},
        {{HAPPY, 4, 0, HMAR}, HQTDEC},
        {{HAPPY, 4, 0, 0}, HQTDEC},
        {{HAPPY, 12, 0, HJUN}, HMONTH},
        {{HAPPY, 6, 0, HJAN}, HBMNOV},
        {{HAPPY, 2, 0, HJAN}, HSMJUL},
        {{HAPPY, 1, 0, HMAR}, HANMAR},
        {{HAPPY, 24, 0, 0}, HTWICM},
        {{HAPPY, 36, 0, 0}, HTENDA},
        {{HAPPY, 1, 0, 0}, HAPPY},
        {{HAYPP, 1, 0, 0}, HAYPP},
        {{HAYPP, 1, 1999, HAPR}, HANAPR},
        {{HWEEK_PATTERN, 0x3E, 0, 0}, HBUSNS},
        {{HWEEK_PATTERN, 0x7F, 0, 0}, HDAILY},
        {{HWEEK_PATTERN, 0x7E, 0, 0}, HWEEK_PATTERN},
    };
    for (const Row& r : rows) {
        int code = -1;
        EXPECT_EQ(compose_frequency(r.parts, code).code(), HSUCC);
        EXPECT_EQ(code, r.expected) << r.parts.base << " " << r.parts.nunits;
    }
    EXPECT_EQ(compose(HAYPP, 2, 2020, HDEC), compose(HAYPP, 2, 1970, HDEC));
    EXPECT_NE(compose(HAYPP, 2, 2020, HDEC), compose(HAYPP, 2, 2021, HDEC));
}

TEST(Frequency, ComposeRejectsBadParts) {
    struct Row {
        FrequencyParts parts;
        Code status;
    };
    const Row rows[] = {
        {{HUNDFX, 1, 0, 0}, HBFREQ},
        {{999, 1, 0, 0}, HBFREQ},
        {{HMONTH, 2, 0, 0}, HBUNIT},
        {{HMONTH, 1, 5, 0}, HBYEAR},
        {{HMONTH, 1, 0, 3}, HBMONT},
        {{HMIN, 0, 0, 0}, HBUNIT},
        {{HMIN, 7, 0, 0}, HBUNIT},
        {{HHOUR, 24, 0, 0}, HBUNIT},
        {{HAPPY, 5, 0, 0}, HBUNIT},
        {{HAPPY, 4, 0, 13}, HBMONT},
        {{HAYPP, 101, 0, 1}, HBUNIT},
        {{HAYPP, 2, -1, 1}, HBYEAR},
        {{HWEEK_PATTERN, 128, 0, 0}, HBUNIT},
        {{HSEC, 2000000000, 0, 0}, HBUNIT},
    };
    for (const Row& r : rows) {
        int code = 12345;
        EXPECT_EQ(compose_frequency(r.parts, code).code(), r.status)
            << r.parts.base << " " << r.parts.nunits;
        EXPECT_EQ(code, 12345);
    }
}

TEST(Frequency, DecomposeIsTheExactInverseOfCompose) {
    for (int code : all_frequencies()) {
        FrequencyParts parts;
        ASSERT_EQ(decompose_frequency(code, parts).code(), HSUCC) << code;
        EXPECT_EQ(compose(parts.base, parts.nunits, parts.year, parts.month), code);
        EXPECT_EQ(base_frequency(code), parts.base);
    }
    FrequencyParts parts;
    EXPECT_EQ(decompose_frequency(HUNDFX, parts).code(), HBFREQ);
}

TEST(Frequency, NamesParseBackToTheSameCode) {
    for (int code : all_frequencies()) {
        int parsed = -1;
        const std::string name = frequency_name(code);
        EXPECT_EQ(parse_frequency(name, parsed).code(), HSUCC) << name;
        EXPECT_EQ(parsed, code) << name;
    }
}

TEST(Frequency, ParsesFrequencyTexts) {
    const std::pair<const char*, int> good[] = {
        {"MONTHLY", HMONTH},
        {"  monthly ", HMONTH},
        {"WEEKLY(FRIDAY)", HWKFRI},
        {"weekly(fri)", HWKFRI},
        {"WEEKLY", HWKSUN},
        {"QUARTERLY(NOVEMBER)", HQTNOV},
        {"QUARTERLY(MAY)", HQTNOV},
        {"QUARTERLY", HQTDEC},
        {"ANNUAL(MARCH)", HANMAR},
        {"BIWEEKLY(BFRIDAY)", HWBFRI},
        {"BUSINESS", HBUSNS},
        {"TWICE_MONTHLY", HTWICM},
        {"SEMIANNUAL(JANUARY)", HSMJUL},
        {"BIMONTHLY(JANUARY)", HBMNOV},
        {"1 HOURLY", HHOUR},
        {"60 SECONDLY", HMIN},
        {"CASE", HCASEX},
        {"PERIODSPERYEAR", HAPPY},
        {"4 PERIODSPERYEAR(MARCH)", HQTDEC},
        {"WEEKPATTERN(MON,TUE,WED,THU,FRI)", HBUSNS},
    };
    for (auto [text, expected] : good) {
        int code = -1;
        EXPECT_EQ(parse_frequency(text, code).code(), HSUCC) << text;
        EXPECT_EQ(code, expected) << text;
    }
    int code = -1;
    EXPECT_EQ(parse_frequency("15 MINUTELY", code).code(), HSUCC);
    EXPECT_EQ(code, compose(HMIN, 15));
    for (const char* bad :
         {"", "   ", "MONTHLY(", "WEEKLY(FUNDAY)", "7 MINUTELY", "2 MONTHLY", "DAILY(MONDAY)",
          "QUARTERLY(NOVEMBER", "99999999999 SECONDLY", "FORTNIGHTLY", "WEEKLY(MONDAY,FRIDAY)"})
        EXPECT_EQ(parse_frequency(bad, code).code(), HBFREQ) << bad;
}

TEST(Frequency, DividesWhenEveryPeriodNestsInOne) {
    struct Row {
        int finer, coarser;
        bool divides;
    };
    const Row rows[] = {
        {HMONTH, HQTDEC, true},  {HMONTH, HANMAR, true},  {HQTNOV, HANNOV, true},
        {HQTNOV, HANDEC, false}, {HQTDEC, HMONTH, false}, {HDAILY, HWKFRI, true},
        {HBUSNS, HWKFRI, true},  {HDAILY, HBUSNS, false}, {HBUSNS, HDAILY, true},
        {HWKFRI, HMONTH, false}, {HWKFRI, HWAFRI, true},  {HWKFRI, HWAMON, false},
        {HWAFRI, HWBFRI, false}, {HTWICM, HMONTH, true},  {HTENDA, HTWICM, false},
        {HMIN, HHOUR, true},     {HHOUR, HMIN, false},    {HMIN, HDAILY, true},
        {HMIN, HBUSNS, false},   {HDAILY, HMIN, false},   {HCASEX, HCASEX, true},
        {HCASEX, HDAILY, false}, {HBIMON, HANDEC, true},  {HBMNOV, HANDEC, false},
        {HMONTH, HMONTH, true},  {HSMJUL, HANJAN, true},  {HSMJUL, HANDEC, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(frequency_divides(F(r.finer), F(r.coarser)), r.divides)
            << r.finer << " " << r.coarser;
}

TEST(DateIndex, EpochsAndKnownIndexes) {
    struct Row {
        int freq, y, m, d;
        int32_t index;
    };
    const Row rows[] = {
        {HDAILY, 1970, 1, 1, 0},    {HDAILY, 2020, 1, 1, 18262}, {HDAILY, 1969, 12, 31, -1},
        {HBUSNS, 1970, 1, 1, 0},    {HBUSNS, 1970, 1, 2, 1},     {HBUSNS, 1970, 1, 5, 2},
        {HWKSUN, 1970, 1, 4, 0},    {HWKSUN, 1970, 1, 5, 1},     {HWKTHU, 1970, 1, 1, 0},
        {HWASUN, 1970, 1, 11, 0},   {HWBSUN, 1970, 1, 4, 0},     {HMONTH, 1970, 1, 31, 0},
        {HMONTH, 2020, 3, 15, 602}, {HQTDEC, 1970, 2, 1, 0},     {HQTNOV, 1970, 1, 1, 0},
        {HANDEC, 2020, 6, 1, 50},   {HANMAR, 1970, 4, 1, 1},     {HTWICM, 1970, 1, 16, 1},
        {HTENDA, 1970, 2, 21, 5},   {HSMJUL, 1970, 7, 31, 1},    {HBMNOV, 1970, 1, 31, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(day_index(r.freq, r.y, r.m, r.d), r.index) << r.freq;
    int32_t idx = 0;
    TimeOfDay t;
    EXPECT_EQ(time_to_index(F(HSEC), {2036, 1, 1}, t, HCONT, idx).code(), HSUCC);
    EXPECT_EQ(idx, 0);
    t.second = 1;
    EXPECT_EQ(time_to_index(F(HSEC), {2035, 12, 31}, {23, 59, 59, 999}, HCONT, idx).code(), HSUCC);
    EXPECT_EQ(idx, -1);
}

TEST(DateIndex, SpansCoverTheDocumentedYears) {
    const std::pair<int, std::pair<int, int>> rows[] = {{HDAILY, {1, 9999}},
                                                        {HANDEC, {1, 9999}},
                                                        {HWBSAT, {1, 9999}},
                                                        {HSEC, {1968, 2103}},
                                                        {HMIN, {1, 6118}}};
    for (auto [code, years] : rows) {
        const Frequency f = F(code);
        const IndexSpan s = valid_span(f);
        CivilDay first, last;
        ASSERT_EQ(index_to_day(f, static_cast<int32_t>(s.first), first).code(), HSUCC);
        ASSERT_EQ(index_to_day(f, static_cast<int32_t>(s.last), last).code(), HSUCC);
        EXPECT_LE(first.year, years.first) << code;
        EXPECT_GE(last.year, years.second) << code;
        EXPECT_EQ(check_index(f, static_cast<int32_t>(s.first - 1)).code(), HBDATE);
    }
    int32_t idx = 0;
    EXPECT_EQ(time_to_index(F(HSEC), {1970, 1, 1}, {}, HCONT, idx).code(), HSUCC);
    EXPECT_EQ(time_to_index(F(HSEC), {2100, 12, 31}, {23, 59, 59, 0}, HCONT, idx).code(), HSUCC);
    EXPECT_EQ(time_to_index(F(HSEC), {2110, 1, 1}, {}, HCONT, idx).code(), HBDATE);
}

TEST(DateIndex, MissingIndexesAreNeverDates) {
    EXPECT_EQ(missing_type_of(kIndexND), HNDVAL);
    EXPECT_EQ(missing_type_of(kIndexNC), HNCVAL);
    EXPECT_EQ(missing_type_of(kIndexNA), HNAVAL);
    EXPECT_EQ(missing_type_of(0), HNMVAL);
    EXPECT_EQ(missing_type_of(kFirstUsableIndex), HNMVAL);
    for (int code : all_frequencies())
        for (int32_t missing : {kIndexND, kIndexNC, kIndexNA})
            EXPECT_EQ(check_index(F(code), missing).code(), HBDATE) << code;
}

TEST(DateIndex, PeriodsTileTimeWithoutOverlap) {
    for (int code : all_frequencies()) {
        const Frequency f = F(code);
        if (!is_dated(f)) continue;
        for (int64_t i : sample_indexes(f)) {
            ASSERT_LE(period_start_ms(f, i), period_end_ms(f, i)) << code;
            ASSERT_LT(period_end_ms(f, i), period_start_ms(f, i + 1)) << code;
            if (f.kind != Kind::DayPattern) {
                ASSERT_EQ(period_end_ms(f, i) + 1, period_start_ms(f, i + 1)) << code;
            }
            ASSERT_EQ(locate_ms(f, period_start_ms(f, i), Relate::Contains), i) << code;
            ASSERT_EQ(locate_ms(f, period_end_ms(f, i), Relate::Contains), i) << code;
        }
    }
}

TEST(DateIndex, EveryConversionPairRoundTripsOverTheSpan) {
    const Fiscal fiscals[] = {
        kCalendarYear, {HFYMAR, HFYFST}, {HFYJUN, HFYLST}, {HFYSEP, HFYAUT}, {HFYFEB, HFYAUT}};
    for (int code : all_frequencies()) {
        const Frequency f = F(code);
        if (!is_dated(f)) continue;
        for (int64_t i64 : sample_indexes(f)) {
            const int32_t i = static_cast<int32_t>(i64);
            int32_t back = 0;
            CivilDay day;
            TimeOfDay time;
            ASSERT_EQ(index_to_day(f, i, day).code(), HSUCC) << code << " " << i;
            if (f.kind != Kind::Intraday) {
                ASSERT_EQ(day_to_index(f, day, HCONT, back).code(), HSUCC) << code;
                ASSERT_EQ(back, i) << code;
            }
            ASSERT_EQ(index_to_time(f, i, day, time).code(), HSUCC);
            ASSERT_EQ(time_to_index(f, day, time, HCONT, back).code(), HSUCC);
            ASSERT_EQ(back, i) << code;
            for (const Fiscal& fy : fiscals) {
                int year = 0, period = 0;
                const int s = index_to_year_period(f, i, fy, year, period).code();
                if (s == HBPER) continue;  // period number beyond 32 bits (millisecondly)
                ASSERT_EQ(s, HSUCC) << code << " " << i;
                ASSERT_EQ(year_period_to_index(f, year, period, fy, back).code(), HSUCC)
                    << code << " " << year << ":" << period;
                ASSERT_EQ(back, i) << code;
            }
        }
    }
}

TEST(DateIndex, YearPeriodFollowsTheYearInWhichAPeriodEnds) {
    struct Row {
        int freq;
        CivilDay day;
        Fiscal fiscal;
        int year, period;
    };
    const Row rows[] = {
        {HQTDEC, {2020, 6, 30}, kCalendarYear, 2020, 2},
        {HQTNOV, {2019, 12, 15}, kCalendarYear, 2020, 1},
        {HQTDEC, {2020, 6, 30}, {HFYMAR, HFYLST}, 2021, 1},
        {HQTDEC, {2020, 6, 30}, {HFYMAR, HFYFST}, 2020, 1},
        {HQTDEC, {2020, 6, 30}, {HFYMAR, HFYAUT}, 2020, 1},
        {HQTDEC, {2020, 6, 30}, {HFYSEP, HFYAUT}, 2020, 3},
        {HANMAR, {2020, 6, 1}, kCalendarYear, 2021, 1},
        {HMONTH, {2020, 4, 9}, {HFYMAR, HFYLST}, 2021, 1},
        {HWKSUN, {2021, 1, 2}, kCalendarYear, 2021, 1},
        {HWKSAT, {2021, 1, 2}, kCalendarYear, 2021, 1},
        {HWKFRI, {2021, 1, 2}, kCalendarYear, 2021, 2},
        {HDAILY, {2020, 12, 31}, kCalendarYear, 2020, 366},
        {HBUSNS, {2020, 1, 1}, kCalendarYear, 2020, 1},
        {HSMJUL, {2020, 1, 31}, kCalendarYear, 2020, 1},
        {HTENDA, {2020, 12, 25}, kCalendarYear, 2020, 36},
        {HTWICM, {2020, 2, 29}, {HFYJAN, HFYLST}, 2021, 2},
    };
    for (const Row& r : rows) {
        int year = 0, period = 0;
        const Frequency f = F(r.freq);
        int32_t idx = 0;
        ASSERT_EQ(day_to_index(f, r.day, HCONT, idx).code(), HSUCC);
        ASSERT_EQ(index_to_year_period(f, idx, r.fiscal, year, period).code(), HSUCC);
        EXPECT_EQ(year, r.year) << r.freq << " " << r.day.year << "-" << r.day.month;
        EXPECT_EQ(period, r.period) << r.freq << " " << r.day.year << "-" << r.day.month;
    }
}

TEST(DateIndex, BadInputsGiveTheirStatuses) {
    int32_t idx = 77;
    int year = 0, period = 0;
    EXPECT_EQ(day_to_index(F(HDAILY), {2020, 4, 31}, HCONT, idx).code(), HBDAY);
    EXPECT_EQ(day_to_index(F(HDAILY), {2019, 2, 29}, HCONT, idx).code(), HBDAY);
    EXPECT_EQ(day_to_index(F(HDAILY), {2020, 13, 1}, HCONT, idx).code(), HBMONT);
    EXPECT_EQ(day_to_index(F(HDAILY), {0, 1, 1}, HCONT, idx).code(), HBYEAR);
    EXPECT_EQ(day_to_index(F(HDAILY), {10000, 1, 1}, HCONT, idx).code(), HBYEAR);
    EXPECT_EQ(day_to_index(F(HDAILY), {2020, 1, 1}, 0, idx).code(), HBREL);
    EXPECT_EQ(day_to_index(F(HCASEX), {2020, 1, 1}, HCONT, idx).code(), HBFREQ);
    EXPECT_EQ(idx, 77);
    EXPECT_EQ(year_period_to_index(F(HQTDEC), 2020, 5, kCalendarYear, idx).code(), HBPER);
    EXPECT_EQ(year_period_to_index(F(HQTDEC), 2020, 0, kCalendarYear, idx).code(), HBPER);
    EXPECT_EQ(year_period_to_index(F(HQTDEC), 10000, 1, kCalendarYear, idx).code(), HBYEAR);
    EXPECT_EQ(year_period_to_index(F(HQTDEC), 0, 4, kCalendarYear, idx).code(), HBYEAR);
    EXPECT_EQ(year_period_to_index(F(HMONTH), 9999, 10, {HFYMAR, HFYFST}, idx).code(),
              HBDATE);  // January 10000
    EXPECT_EQ(year_period_to_index(F(HQTDEC), 2020, 1, {13, HFYLST}, idx).code(), HBFMON);
    EXPECT_EQ(year_period_to_index(F(HQTDEC), 2020, 1, {HFYMAR, 4}, idx).code(), HBFLAB);
    EXPECT_EQ(year_period_to_index(F(HSEC), 2200, 1, kCalendarYear, idx).code(), HBDATE);
    EXPECT_EQ(index_to_year_period(F(HMONTH), kIndexNA, kCalendarYear, year, period).code(),
              HBDATE);
    EXPECT_EQ(time_to_index(F(HMIN), {2020, 1, 1}, {24, 0, 0, 0}, HCONT, idx).code(), HBTIME);
    EXPECT_EQ(time_to_index(F(HMIN), {2020, 1, 1}, {0, 0, 0, 1000}, HCONT, idx).code(), HBTIME);
    EXPECT_EQ(idx, 77);
    EXPECT_EQ(year_period_to_index(F(HMONTH), 9999, 9, {HFYMAR, HFYFST}, idx).code(),
              HSUCC);  // December 9999
}

TEST(DateIndex, RelateResolvesDaysBetweenPeriods) {
    const Frequency business = F(HBUSNS);
    const CivilDay saturday{2020, 1, 4};
    int32_t idx = 0;
    CivilDay day;
    EXPECT_EQ(day_to_index(business, saturday, HCONT, idx).code(), HBDATE);
    ASSERT_EQ(day_to_index(business, saturday, HBEFOR, idx).code(), HSUCC);
    index_to_day(business, idx, day);
    EXPECT_EQ(day.day, 3);
    ASSERT_EQ(day_to_index(business, saturday, HAFTER, idx).code(), HSUCC);
    index_to_day(business, idx, day);
    EXPECT_EQ(day.day, 6);
}

TEST(DateIndex, CountsOfPeriods) {
    struct Row {
        int freq, year, month, count;  // month 0: per year
    };
    const Row rows[] = {
        {HDAILY, 2020, 0, 366}, {HDAILY, 2021, 0, 365},    {HBUSNS, 2020, 0, 262},
        {HWKFRI, 2020, 0, 52},  {HWKTHU, 2020, 0, 53},     {HMONTH, 2020, 0, 12},
        {HQTNOV, 2020, 0, 4},   {HTENDA, 2020, 0, 36},     {HBUSNS, 2020, 2, 20},
        {HDAILY, 2020, 2, 29},  {HQTDEC, 2020, 2, 0},      {HQTDEC, 2020, 3, 1},
        {HMIN, 2020, 1, 44640}, {HSEC, 2021, 0, 31536000},
    };
    for (const Row& r : rows) {
        int count = -1;
        const int s = r.month ? periods_in_month(F(r.freq), r.year, r.month, count).code()
                              : periods_in_year(F(r.freq), r.year, count).code();
        EXPECT_EQ(s, HSUCC);
        EXPECT_EQ(count, r.count) << r.freq << " " << r.year << " " << r.month;
    }
    const std::pair<int, int> per_day[] = {{HDAILY, 1},
                                           {HBUSNS, 1},
                                           {HWKSUN, 0},
                                           {HMONTH, 0},
                                           {HMIN, 1440},
                                           {HMSEC, 86400000},
                                           {compose(HMIN, 15), 96}};
    for (auto [code, expected] : per_day) {
        int count = -1;
        EXPECT_EQ(periods_per_day(F(code), count).code(), HSUCC);
        EXPECT_EQ(count, expected) << code;
    }
    int count = 0;
    EXPECT_EQ(periods_in_year(F(HMSEC), 2020, count).code(), HBPER);
    EXPECT_EQ(periods_in_month(F(HDAILY), 2020, 0, count).code(), HBMONT);
    EXPECT_EQ(periods_per_day(F(HCASEX), count).code(), HBFREQ);
}

TEST(Convert, WeekdaysAndBiweekdays) {
    int w = 0;
    ASSERT_EQ(weekday_of_index(F(HDAILY), 0, w).code(), HSUCC);
    EXPECT_EQ(w, HTHU);
    ASSERT_EQ(weekday_of_index(F(HWKFRI), 100, w).code(), HSUCC);
    EXPECT_EQ(w, HFRI);
    for (int code = HWASUN; code <= HWBSAT; ++code) {
        ASSERT_EQ(biweekday_of_index(F(code), 5, w).code(), HSUCC);
        EXPECT_EQ(w, code - HWASUN + HASUN);
    }
    ASSERT_EQ(biweekday_of_index(F(HDAILY), -4, w).code(), HSUCC);
    EXPECT_EQ(w, HASUN);
}

TEST(Convert, FrequencyChangeSelectAndRelate) {
    struct Row {
        int from;
        CivilDay day;
        int select, to, relate;
        Code status;
        CivilDay expected;  // the dating day of the target period
    };
    const Row rows[] = {
        {HMONTH, {2020, 2, 1}, HBEGIN, HBUSNS, HAFTER, HSUCC, {2020, 2, 3}},  // starts on a
                                                                              // Saturday
        {HMONTH, {2020, 2, 1}, HBEGIN, HBUSNS, HBEFOR, HSUCC, {2020, 1, 31}},
        {HMONTH, {2020, 2, 1}, HBEGIN, HBUSNS, HCONT, HBDATE, {}},
        {HMONTH, {2020, 5, 1}, HEND, HBUSNS, HBEFOR, HSUCC, {2020, 5, 29}},  // ends on a Sunday
        {HMONTH, {2020, 5, 1}, HEND, HDAILY, HCONT, HSUCC, {2020, 5, 31}},
        {HDAILY, {2020, 5, 13}, HBEGIN, HQTDEC, HCONT, HSUCC, {2020, 6, 30}},
        {HWKSUN, {2020, 3, 1}, HINTVL, HMONTH, HCONT, HBDATE, {}},  // Feb 24 .. Mar 1
        {HWKSUN, {2020, 3, 1}, HINTVL, HMONTH, HBEFOR, HSUCC, {2020, 2, 29}},
        {HWKSUN, {2020, 3, 1}, HINTVL, HMONTH, HAFTER, HSUCC, {2020, 3, 31}},
        {HWKSUN, {2020, 3, 8}, HINTVL, HMONTH, HCONT, HSUCC, {2020, 3, 31}},
        {HQTDEC, {2020, 3, 1}, HEND, HANMAR, HCONT, HSUCC, {2020, 3, 31}},
        {HDAILY, {2020, 3, 1}, HEND, HHOUR, HCONT, HSUCC, {2020, 3, 1}},
        {HDAILY, {2300, 3, 1}, HEND, HHOUR, HCONT, HSUCC, {2300, 3, 1}},
        {HDAILY, {2300, 3, 1}, HEND, HSEC, HCONT, HBDATE, {}},  // beyond secondly's span
    };
    for (const Row& r : rows) {
        const int32_t from = day_index(r.from, r.day.year, r.day.month, r.day.day);
        int32_t to = -99;
        ASSERT_EQ(change_frequency(F(r.from), from, r.select, F(r.to), r.relate, to).code(),
                  r.status)
            << r.from << "->" << r.to << " " << r.day.month;
        if (r.status != HSUCC) continue;
        CivilDay got;
        index_to_day(F(r.to), to, got);
        EXPECT_EQ(got.year * 10000 + got.month * 100 + got.day,
                  r.expected.year * 10000 + r.expected.month * 100 + r.expected.day)
            << r.from << "->" << r.to;
    }
    int32_t to = 0;
    EXPECT_EQ(change_frequency(F(HDAILY), 0, 0, F(HMONTH), HCONT, to).code(), HBSEL);
    EXPECT_EQ(change_frequency(F(HDAILY), 0, HBEGIN, F(HMONTH), 9, to).code(), HBREL);
    EXPECT_EQ(change_frequency(F(HDAILY), 0, HBEGIN, F(HCASEX), HCONT, to).code(), HBFREQ);
    EXPECT_EQ(change_frequency(F(HDAILY), kIndexND, HBEGIN, F(HMONTH), HCONT, to).code(), HBDATE);
    ASSERT_EQ(change_frequency(F(HCASEX), 42, HBEGIN, F(HCASEX), HCONT, to).code(), HSUCC);
    EXPECT_EQ(to, 42);
}

TEST(Errors, TextsNameTheValueAtFault) {
    int32_t idx = 0;
    int code = 0;
    Frequency f;
    std::vector<PictureToken> tokens;
    struct Row {
        Status status;
        Code code;
        const char* named;
    };
    const Row rows[] = {
        {frequency_of(7, f), HBFREQ, "7 is not a valid frequency"},
        {check_index(F(HMONTH), kIndexND), HBDATE, "index -2147483647 is not a date of MONTHLY"},
        {day_to_index(F(HDAILY), {2020, 4, 31}, HCONT, idx), HBDAY,
         "day 31 is not in month 4 of 2020"},
        {day_to_index(F(HBUSNS), {2020, 1, 4}, HCONT, idx), HBDATE, "no single period of BUSINESS"},
        {day_to_index(F(HDAILY), {2020, 1, 1}, 9, idx), HBREL, "relate 9"},
        {year_period_to_index(F(HQTDEC), 2020, 5, kCalendarYear, idx), HBPER, "has no period 5"},
        {compose_frequency({HMIN, 7, 0, 0}, code), HBUNIT, "nunits 7"},
        {parse_frequency("FORTNIGHTLY", code), HBFREQ, "'FORTNIGHTLY'"},
        {check_fiscal({13, HFYLST}), HBFMON, "month 13"},
        {compile_picture("YYYY-Q", tokens), HBADVAL, "'Q'"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.status.code(), r.code) << r.named;
        EXPECT_NE(r.status.message().find(r.named), std::string::npos) << r.status.message();
    }
}
