#include "calendar/literal.h"

#include <algorithm>

#include "calendar/convert.h"
#include "calendar/errors.h"
#include "calendar/text_util.h"

namespace crqx::calendar {

bool uses_year_period_literal(const Frequency& f) {
    return f.kind == Kind::MonthSpan || f.kind == Kind::MonthSplit;
}

char period_letter(const Frequency& f) {
    if (f.kind == Kind::MonthSplit) return f.length == 2 ? 'S' : 'T';
    switch (f.length) {
        case 1: return 'M';
        case 2: return 'B';
        case 3: return 'Q';
        case 4: return 'P';  // four-month periods (3 PERIODSPERYEAR)
        case 6: return 'H';
        default: return '\0';
    }
}

int period_width(const Frequency& f) {
    return (f.kind == Kind::MonthSplit || f.length == 1) ? 2 : 1;
}

Status resolve_two_digit_year(int two_digits, int century, int current_year, int& year) {
    if (century >= 1 && century <= 99) {
        year = century * 100 + two_digits;
        return Status::OK();
    }
    int window_start = century;
    if (century == 0)
        window_start = current_year - 50;
    else if (century < 100 || century > kLastYear)
        return bad_century(century);
    year = static_cast<int>(window_start + floor_mod(two_digits - window_start, 100));
    return Status::OK();
}

namespace {

std::string day_text(const CivilDay& d) {
    return padded(d.year, 4) + "-" + padded(d.month, 2) + "-" + padded(d.day, 2);
}

std::string time_text(const TimeOfDay& t, int64_t unit_ms) {
    std::string s = padded(t.hour, 2) + ":" + padded(t.minute, 2);
    if (unit_ms % 60000 != 0) s += ":" + padded(t.second, 2);
    if (unit_ms % 1000 != 0) s += "." + padded(t.millisecond, 3);
    return s;
}

// A literal of the frequency for a reader to copy (2024M03, 2024-03-15,
// 2024-03-15T13:45, ...): the period holding a fixed moment, or the nearest
// end of the span for frequencies whose span does not reach it, formatted.
std::string example_literal(const Frequency& f, const Fiscal& fiscal) {
    if (!is_dated(f)) return "42";
    const int64_t moment = days_from_civil(2024, 3, 15) * kMsPerDay + 49530250;  // 13:45:30.250
    std::optional<int64_t> index = locate_ms(f, moment, Relate::Contains);
    if (!index) index = locate_ms(f, moment, Relate::After);  // a day outside the pattern
    const IndexSpan span = valid_span(f);
    std::string text;
    if (!index || span.first > span.last) return "";
    const auto at = static_cast<int32_t>(std::clamp(*index, span.first, span.last));
    return format_literal(f, at, fiscal, text).ok() ? text : "";
}

// What a literal's text and frequency are, for reading it and naming it
// when it is wrong.
struct LiteralText {
    const Frequency& f;
    const Fiscal& fiscal;
    std::string_view s;
    Status wrong() const { return not_a_literal(f, s, example_literal(f, fiscal)); }
};

// Reads a year of 1..5 digits; exactly two digits go through the century rule.
Status read_year(const LiteralText& t, size_t& pos, int century, int current_year, int& year) {
    int64_t value = 0;
    int digits = 0;
    if (!read_digits(t.s, pos, 5, value, &digits)) return t.wrong();
    if (digits == 2)
        return resolve_two_digit_year(static_cast<int>(value), century, current_year, year);
    year = static_cast<int>(value);
    return Status::OK();
}

bool expect(std::string_view s, size_t& pos, char c) {
    if (pos < s.size() && to_upper(s[pos]) == c) return ++pos, true;
    return false;
}

Status parse_case(const LiteralText& t, int32_t& index) {
    const std::string_view s = t.s;
    size_t pos = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++pos;
    int64_t value = 0;
    if (!read_digits(s, pos, 10, value) || pos != s.size()) return t.wrong();
    return to_date_index(t.f, negative ? -value : value, "the case number", index);
}

Status parse_year_period(const LiteralText& t, const Fiscal& fiscal, int century, int current_year,
                         int32_t& index) {
    size_t pos = 0;
    int year = 0;
    CRQX_RETURN_IF_ERROR(read_year(t, pos, century, current_year, year));
    int64_t period = 1;
    if (const char letter = period_letter(t.f)) {
        if (!expect(t.s, pos, letter) || !read_digits(t.s, pos, 3, period)) return t.wrong();
    }
    if (pos != t.s.size()) return t.wrong();
    return year_period_to_index(t.f, year, static_cast<int>(period), fiscal, index);
}

// The time after a literal's day ("T13:45", "T13:45:30", "T13:45:30.250").
Status parse_time(const LiteralText& t, size_t& pos, TimeOfDay& time) {
    const std::string_view s = t.s;
    if (t.f.kind != Kind::Intraday || !(expect(s, pos, 'T') || expect(s, pos, ' ')))
        return t.wrong();
    int64_t h = 0, mi = 0, sec = 0, ms = 0;
    int ms_digits = 0;
    if (!read_digits(s, pos, 2, h) || !expect(s, pos, ':') || !read_digits(s, pos, 2, mi))
        return t.wrong();
    if (expect(s, pos, ':')) {
        if (!read_digits(s, pos, 2, sec)) return t.wrong();
        if (expect(s, pos, '.')) {
            if (!read_digits(s, pos, 3, ms, &ms_digits)) return t.wrong();
            for (; ms_digits < 3; ++ms_digits) ms *= 10;  // a fraction of a second
        }
    }
    if (pos != s.size()) return t.wrong();
    time = {static_cast<int>(h), static_cast<int>(mi), static_cast<int>(sec), static_cast<int>(ms)};
    return Status::OK();
}

Status parse_day_time(const LiteralText& t, int century, int current_year, int32_t& index) {
    const std::string_view s = t.s;
    size_t pos = 0;
    int year = 0;
    int64_t month = 0, day = 0;
    CRQX_RETURN_IF_ERROR(read_year(t, pos, century, current_year, year));
    if (!expect(s, pos, '-') || !read_digits(s, pos, 2, month) || !expect(s, pos, '-') ||
        !read_digits(s, pos, 2, day))
        return t.wrong();
    const CivilDay civil{year, static_cast<int>(month), static_cast<int>(day)};
    CRQX_RETURN_IF_ERROR(check_civil_day(civil));
    TimeOfDay time;
    if (pos < s.size()) CRQX_RETURN_IF_ERROR(parse_time(t, pos, time));
    return time_to_index(t.f, civil, time, HCONT, index);
}

}  // namespace

Status format_literal(const Frequency& f, int32_t index, const Fiscal& fiscal, std::string& text) {
    CRQX_RETURN_IF_ERROR(check_fiscal(fiscal));
    CRQX_RETURN_IF_ERROR(check_index(f, index));
    if (!is_dated(f)) {
        text = std::to_string(index);
        return Status::OK();
    }
    if (uses_year_period_literal(f)) {
        int year = 0, period = 0;
        CRQX_RETURN_IF_ERROR(index_to_year_period(f, index, fiscal, year, period));
        text = padded(year, 4);
        if (const char letter = period_letter(f)) text += letter + padded(period, period_width(f));
        return Status::OK();
    }
    CivilDay day;
    TimeOfDay time;
    CRQX_RETURN_IF_ERROR(index_to_time(f, index, day, time));
    text = day_text(day);
    if (f.kind == Kind::Intraday) text += "T" + time_text(time, f.unit_ms);
    return Status::OK();
}

Status parse_literal(const Frequency& f, std::string_view text, const Fiscal& fiscal, int century,
                     int current_year, int32_t& index) {
    CRQX_RETURN_IF_ERROR(check_fiscal(fiscal));
    const LiteralText t{f, fiscal, trim(text)};
    if (!is_dated(f)) return parse_case(t, index);
    if (uses_year_period_literal(f))
        return parse_year_period(t, fiscal, century, current_year, index);
    return parse_day_time(t, century, current_year, index);
}

}  // namespace crqx::calendar
