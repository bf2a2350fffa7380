// Calendar text: literals, the century rule and picture strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "calendar/convert.h"
#include "calendar/errors.h"
#include "calendar/literal.h"
#include "calendar/picture.h"

#include "calendar_support.h"

using namespace crqx;
using namespace crqx::calendar;
using namespace crqx::calendar::test_support;

namespace {

int32_t at(int freq, CivilDay day, TimeOfDay time = {}) {
    int32_t idx = 0;
    EXPECT_EQ(time_to_index(F(freq), day, time, HCONT, idx).code(), HSUCC);
    return idx;
}

std::vector<int> all_frequencies() {
    std::vector<int> codes;
    for (int code = 1; code < 256; ++code)
        if (describe_frequency(code)) codes.push_back(code);
    for (int c : {compose(HMIN, 15), compose(HMSEC, 250), compose(HSEC, 90),
                  compose(HAYPP, 3, 2001, HJUN), compose(HWEEK_PATTERN, 0x2A)})
        codes.push_back(c);
    return codes;
}

std::vector<int32_t> sample(const Frequency& f) {
    const IndexSpan s = valid_span(f);
    std::vector<int32_t> out;
    const int64_t step = std::max<int64_t>(1, (s.last - s.first) / 499);
    for (int64_t i = s.first; i <= s.last; i += step) out.push_back(static_cast<int32_t>(i));
    out.push_back(static_cast<int32_t>(s.last));
    return out;
}

constexpr int kThisYear = 2026;

}  // namespace

TEST(Literal, OneFormPerFrequency) {
    struct Row {
        int freq;
        int32_t index;
        Fiscal fiscal;
        const char* text;
    };
    const Row rows[] = {
        {HDAILY, at(HDAILY, {2020, 7, 31}), kCalendarYear, "2020-07-31"},
        {HBUSNS, at(HBUSNS, {2020, 7, 31}), kCalendarYear, "2020-07-31"},
        {HWKFRI, at(HWKFRI, {2020, 7, 29}), kCalendarYear, "2020-07-31"},
        {HANMAR, at(HANMAR, {2020, 7, 1}), kCalendarYear, "2021"},
        {HSMDEC, at(HSMDEC, {2020, 7, 1}), kCalendarYear, "2020H2"},
        {HQTDEC, at(HQTDEC, {2020, 7, 1}), kCalendarYear, "2020Q3"},
        {HQTDEC, at(HQTDEC, {2020, 7, 1}), {HFYMAR, HFYLST}, "2021Q2"},
        {HQTDEC, at(HQTDEC, {2020, 7, 1}), {HFYMAR, HFYFST}, "2020Q2"},
        {HBIMON, at(HBIMON, {2020, 7, 1}), kCalendarYear, "2020B4"},
        {HMONTH, at(HMONTH, {2020, 7, 1}), kCalendarYear, "2020M07"},
        {HTWICM, at(HTWICM, {2020, 7, 16}), kCalendarYear, "2020S14"},
        {HTENDA, at(HTENDA, {2020, 7, 11}), kCalendarYear, "2020T20"},
        {HHOUR, at(HHOUR, {2020, 7, 31}, {13, 45, 0, 0}), kCalendarYear, "2020-07-31T13:00"},
        {compose(HMIN, 15), at(compose(HMIN, 15), {2020, 7, 31}, {13, 50, 0, 0}), kCalendarYear,
         "2020-07-31T13:45"},
        {HSEC, at(HSEC, {2020, 7, 31}, {13, 45, 30, 999}), kCalendarYear, "2020-07-31T13:45:30"},
        {HMSEC, at(HMSEC, {2036, 1, 2}, {1, 2, 3, 45}), kCalendarYear, "2036-01-02T01:02:03.045"},
        {HANDEC, at(HANDEC, {5, 3, 1}), kCalendarYear, "0005"},
        {HCASEX, 42, kCalendarYear, "42"},
    };
    for (const Row& r : rows) {
        std::string text;
        ASSERT_EQ(format_literal(F(r.freq), r.index, r.fiscal, text).code(), HSUCC) << r.text;
        EXPECT_EQ(text, r.text);
        int32_t back = 0;
        ASSERT_EQ(parse_literal(F(r.freq), r.text, r.fiscal, 20, kThisYear, back).code(), HSUCC)
            << r.text;
        EXPECT_EQ(back, r.index) << r.text;
    }
}

TEST(Literal, RoundTripsOverEverySpan) {
    const Fiscal fiscals[] = {kCalendarYear, {HFYMAR, HFYFST}, {HFYSEP, HFYAUT}};
    for (int code : all_frequencies()) {
        const Frequency f = F(code);
        for (int32_t i : sample(f))
            for (const Fiscal& fy : fiscals) {
                std::string text;
                ASSERT_EQ(format_literal(f, i, fy, text).code(), HSUCC) << code << " " << i;
                int32_t back = 0;
                ASSERT_EQ(parse_literal(f, text, fy, 20, kThisYear, back).code(), HSUCC)
                    << code << " " << text;
                ASSERT_EQ(back, i) << code << " " << text;
            }
    }
}

TEST(Literal, ReadsLooseButUnambiguousText) {
    struct Row {
        int freq;
        const char* text;
        int century;
        const char* canonical;
    };
    const Row rows[] = {
        {HQTDEC, " 2020q3 ", 20, "2020Q3"},
        {HMONTH, "2020M7", 20, "2020M07"},
        {HDAILY, "2020-7-4", 20, "2020-07-04"},
        {HQTDEC, "95Q1", 19, "1995Q1"},
        {HQTDEC, "49Q1", 1950, "2049Q1"},
        {HQTDEC, "50Q1", 1950, "1950Q1"},
        {HQTDEC, "76Q1", 0, "1976Q1"},
        {HQTDEC, "75Q1", 0, "2075Q1"},
        {HDAILY, "20-01-02", 19, "1920-01-02"},
        {HWKFRI, "2020-07-27", 20, "2020-07-31"},
        {HMIN, "2020-07-31 13:45", 20, "2020-07-31T13:45"},
        {HMSEC, "2036-01-02T01:02:03.5", 20, "2036-01-02T01:02:03.500"},
        {HHOUR, "2020-07-31", 20, "2020-07-31T00:00"},
        {HQTDEC, "0995Q1", 19, "0995Q1"},
        {HCASEX, "+7", 20, "7"},
    };
    for (const Row& r : rows) {
        int32_t idx = 0;
        ASSERT_EQ(parse_literal(F(r.freq), r.text, kCalendarYear, r.century, kThisYear, idx).code(),
                  HSUCC)
            << r.text;
        std::string text;
        format_literal(F(r.freq), idx, kCalendarYear, text);
        EXPECT_EQ(text, r.canonical) << r.text;
    }
}

TEST(Literal, BadTextGivesItsStatus) {
    struct Row {
        int freq;
        const char* text;
        Code status;
    };
    const Row rows[] = {
        {HQTDEC, "2020Q5", HBPER},
        {HQTDEC, "2020M1", HBDATE},
        {HQTDEC, "", HBDATE},
        {HQTDEC, "Q1", HBDATE},
        {HQTDEC, "2020Q1x", HBDATE},
        {HDAILY, "2020-02-30", HBDAY},
        {HDAILY, "2021-02-29", HBDAY},
        {HDAILY, "2020-13-01", HBMONT},
        {HDAILY, "0000-01-01", HBYEAR},
        {HDAILY, "2020/01/01", HBDATE},
        {HBUSNS, "2020-01-04", HBDATE},
        {HDAILY, "2020-01-01T10:00", HBDATE},
        {HMIN, "2020-01-01T24:00", HBTIME},
        {HSEC, "2200-01-01T00:00:00", HBDATE},
        {HANDEC, "10000", HBYEAR},
        {HCASEX, "12a", HBDATE},
        {HCASEX, "-2147483648", HBDATE},
        {HQTDEC, "20Q1", HBYEAR},  // century -1
    };
    for (const Row& r : rows) {
        int32_t idx = 99;
        const int century = std::string(r.text) == "20Q1" ? -1 : 20;
        EXPECT_EQ(parse_literal(F(r.freq), r.text, kCalendarYear, century, kThisYear, idx).code(),
                  r.status)
            << r.text;
        EXPECT_EQ(idx, 99) << r.text;
    }
    std::string text;
    EXPECT_EQ(format_literal(F(HDAILY), kIndexND, kCalendarYear, text).code(), HBDATE);
    EXPECT_EQ(format_literal(F(HDAILY), 0, {0, HFYLST}, text).code(), HBFMON);
    EXPECT_EQ(format_literal(F(HDAILY), 0, {HFYDEC, 0}, text).code(), HBFLAB);
}

// A text that is no literal says so and shows a literal of the frequency,
// one that reads back.
TEST(Literal, NotALiteralShowsTheExpectedForm) {
    const Fiscal fiscals[] = {kCalendarYear, {HFYMAR, HFYFST}};
    for (int code : all_frequencies())
        for (const Fiscal& fy : fiscals) {
            int32_t idx = 0;
            const Status s = parse_literal(F(code), "March 2024", fy, 20, kThisYear, idx);
            ASSERT_EQ(s.code(), HBDATE) << code;
            const std::string head = "'March 2024' is not a " + frequency_label(code) +
                                     " literal: expected a form like ";
            ASSERT_EQ(s.message().substr(0, head.size()), head) << s.message();
            const std::string example = s.message().substr(head.size());
            EXPECT_EQ(parse_literal(F(code), example, fy, 20, kThisYear, idx).code(), HSUCC)
                << code << " " << example;
        }
    const std::pair<int, const char*> forms[] = {{HMONTH, "2024M03"},
                                                 {HQTDEC, "2024Q1"},
                                                 {HDAILY, "2024-03-15"},
                                                 {HMIN, "2024-03-15T13:45"},
                                                 {HCASEX, "42"}};
    for (const auto& [code, form] : forms) {
        int32_t idx = 0;
        EXPECT_EQ(parse_literal(F(code), "March 2024", kCalendarYear, 20, kThisYear, idx).message(),
                  "'March 2024' is not a " + frequency_label(code) +
                      " literal: expected a form like " + form);
    }
}

TEST(Picture, FormatsEveryToken) {
    struct Row {
        int freq;
        int32_t index;
        const char* image;
        const char* text;
    };
    const int32_t day = at(HDAILY, {2020, 7, 4});
    const int32_t minute = at(HMSEC, {2036, 1, 2}, {9, 5, 7, 30});
    const Row rows[] = {
        {HDAILY, day, "YYYY-MM-DD", "2020-07-04"},
        {HDAILY, day, "D/M/YY", "4/7/20"},
        {HDAILY, day, "DAY, MONTH D, YYYY", "SATURDAY, JULY 4, 2020"},
        {HDAILY, day, "Dy dd Mon yyyy", "Sat 04 Jul 2020"},
        {HDAILY, day, "day dd month yyyy", "saturday 04 july 2020"},
        {HMONTH, at(HMONTH, {2020, 7, 4}), "Day YYYY-MM",
         "Friday 2020-07"},  // no day given: weekday unchecked
        {HDAILY, day, "YYYY \"day\" PPP", "2020 day 186"},
        {HQTDEC, at(HQTDEC, {2020, 7, 4}), "YYYY\"Q\"P", "2020Q3"},
        {HMONTH, at(HMONTH, {2020, 7, 4}), "Mon YYYY", "Jul 2020"},
        {HMSEC, minute, "DD HH:MI:SS.FFF YYYY-MM", "02 09:05:07.030 2036-01"},
        {HMSEC, minute, "YYYYMMDDHHMISSFFF", "20360102090507030"},
    };
    for (const Row& r : rows) {
        std::string text;
        ASSERT_EQ(format_picture(F(r.freq), r.index, r.image, kCalendarYear, text).code(), HSUCC)
            << r.image;
        EXPECT_EQ(text, r.text) << r.image;
        int32_t back = 0;
        ASSERT_EQ(
            scan_picture(F(r.freq), r.text, r.image, kCalendarYear, 20, kThisYear, back).code(),
            HSUCC)
            << r.image;
        EXPECT_EQ(back, r.index) << r.image;
    }
    std::string text;
    ASSERT_EQ(format_picture(F(HQTDEC), at(HQTDEC, {2020, 7, 4}), "YYYY-P", {HFYMAR, HFYLST}, text)
                  .code(),
              HSUCC);
    EXPECT_EQ(text, "2021-2");
}

TEST(Picture, RoundTripsOverEverySpan) {
    struct Pair {
        const char* image;
        bool (*applies)(const Frequency&);
    };
    const Pair pictures[] = {
        {"YYYY:PPP", [](const Frequency&) { return true; }},
        {"DAY DD MONTH YYYY \"at\" HH:MI:SS.FFF", [](const Frequency&) { return true; }},
        {"YYYYMMDD", [](const Frequency& f) { return f.kind != Kind::Intraday; }},
    };
    for (int code : all_frequencies()) {
        const Frequency f = F(code);
        if (!is_dated(f)) continue;
        for (const Pair& p : pictures) {
            if (!p.applies(f)) continue;
            for (int32_t i : sample(f)) {
                std::string text;
                const int st = format_picture(f, i, p.image, {HFYJUN, HFYFST}, text).code();
                if (st == HBPER) continue;  // millisecond period numbers exceed 32 bits
                ASSERT_EQ(st, HSUCC) << code << " " << p.image;
                int32_t back = 0;
                ASSERT_EQ(
                    scan_picture(f, text, p.image, {HFYJUN, HFYFST}, 20, kThisYear, back).code(),
                    HSUCC)
                    << code << " " << text;
                ASSERT_EQ(back, i) << code << " " << text;
            }
        }
    }
}

TEST(Picture, BadPicturesAndTexts) {
    std::string text;
    for (const char* image : {"", "YYYY-MM-DDTHH", "\"open", "Q", "YYY-MM"})
        EXPECT_EQ(format_picture(F(HDAILY), 0, image, kCalendarYear, text).code(), HBADVAL)
            << image;
    struct Row {
        const char* text;
        const char* image;
        Code status;
    };
    const Row rows[] = {
        {"2020-07-04", "YYYY-MM-DD", HSUCC},
        {"2020-07-04 x", "YYYY-MM-DD", HBDATE},
        {"2020-07", "YYYY-MM-DD", HBDATE},
        {"2020-02-30", "YYYY-MM-DD", HBDAY},
        {"FRIDAY 2020-07-04", "DAY YYYY-MM-DD", HBDATE},
        {"SATURDAY 2020-07-04", "DAY YYYY-MM-DD", HSUCC},
        {"07-04", "MM-DD", HBDATE},
        {"Jly 2020", "MON YYYY", HBDATE},
        {"2020-07-04 25:00", "YYYY-MM-DD HH:MI", HBTIME},
        {"2020 day 367", "YYYY \"day\" P", HBPER},
    };
    for (const Row& r : rows) {
        int32_t idx = 0;
        EXPECT_EQ(
            scan_picture(F(HDAILY), r.text, r.image, kCalendarYear, 20, kThisYear, idx).code(),
            r.status)
            << r.text;
    }
    int32_t idx = 0;
    EXPECT_EQ(scan_picture(F(HCASEX), "1", "P", kCalendarYear, 20, kThisYear, idx).code(), HBFREQ);
}
