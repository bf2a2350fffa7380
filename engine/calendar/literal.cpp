#include "calendar/literal.h"

#include "calendar/convert.h"
#include "calendar/text_util.h"

namespace crqx::calendar {

bool uses_year_period_literal(const Frequency& f) { return f.kind == Kind::MonthSpan || f.kind == Kind::MonthSplit; }

char period_letter(const Frequency& f) {
  if (f.kind == Kind::MonthSplit) return f.length == 2 ? 'S' : 'T';
  switch (f.length) {
    case 1: return 'M';
    case 2: return 'B';
    case 3: return 'Q';
    case 6: return 'H';
    default: return '\0';
  }
}

int period_width(const Frequency& f) {
  return (f.kind == Kind::MonthSplit || f.length == 1) ? 2 : 1;
}

Code resolve_two_digit_year(int two_digits, int century, int current_year, int& year) {
  if (century >= 1 && century <= 99) {
    year = century * 100 + two_digits;
    return HSUCC;
  }
  int window_start = century;
  if (century == 0) window_start = current_year - 50;
  else if (century < 100 || century > kLastYear) return HBYEAR;
  year = static_cast<int>(window_start + floor_mod(two_digits - window_start, 100));
  return HSUCC;
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

// Reads a year of 1..5 digits; exactly two digits go through the century rule.
Code read_year(std::string_view s, size_t& pos, int century, int current_year, int& year) {
  int64_t value = 0;
  int digits = 0;
  if (!read_digits(s, pos, 5, value, &digits)) return HBDATE;
  if (digits == 2) return resolve_two_digit_year(static_cast<int>(value), century, current_year, year);
  year = static_cast<int>(value);
  return HSUCC;
}

bool expect(std::string_view s, size_t& pos, char c) {
  if (pos < s.size() && to_upper(s[pos]) == c) return ++pos, true;
  return false;
}

Code parse_case(const Frequency& f, std::string_view s, int32_t& index) {
  size_t pos = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++pos;
  int64_t value = 0;
  if (!read_digits(s, pos, 10, value) || pos != s.size()) return HBDATE;
  return to_date_index(f, negative ? -value : value, index);
}

Code parse_year_period(const Frequency& f, std::string_view s, const Fiscal& fiscal, int century, int current_year,
                       int32_t& index) {
  size_t pos = 0;
  int year = 0;
  if (Code st = read_year(s, pos, century, current_year, year); st != HSUCC) return st;
  int64_t period = 1;
  if (const char letter = period_letter(f)) {
    if (!expect(s, pos, letter) || !read_digits(s, pos, 3, period)) return HBDATE;
  }
  if (pos != s.size()) return HBDATE;
  return year_period_to_index(f, year, static_cast<int>(period), fiscal, index);
}

Code parse_day_time(const Frequency& f, std::string_view s, int century, int current_year, int32_t& index) {
  size_t pos = 0;
  int year = 0;
  int64_t month = 0, day = 0;
  if (Code st = read_year(s, pos, century, current_year, year); st != HSUCC) return st;
  if (!expect(s, pos, '-') || !read_digits(s, pos, 2, month) || !expect(s, pos, '-') || !read_digits(s, pos, 2, day))
    return HBDATE;
  const CivilDay civil{year, static_cast<int>(month), static_cast<int>(day)};
  if (Code st = check_civil_day(civil.year, civil.month, civil.day); st != HSUCC) return st;
  TimeOfDay time;
  if (pos < s.size()) {
    if (f.kind != Kind::Intraday || !(expect(s, pos, 'T') || expect(s, pos, ' '))) return HBDATE;
    int64_t h = 0, mi = 0, sec = 0, ms = 0;
    int ms_digits = 0;
    if (!read_digits(s, pos, 2, h) || !expect(s, pos, ':') || !read_digits(s, pos, 2, mi)) return HBDATE;
    if (expect(s, pos, ':')) {
      if (!read_digits(s, pos, 2, sec)) return HBDATE;
      if (expect(s, pos, '.')) {
        if (!read_digits(s, pos, 3, ms, &ms_digits)) return HBDATE;
        for (; ms_digits < 3; ++ms_digits) ms *= 10;  // a fraction of a second
      }
    }
    if (pos != s.size()) return HBDATE;
    time = {static_cast<int>(h), static_cast<int>(mi), static_cast<int>(sec), static_cast<int>(ms)};
  }
  return time_to_index(f, civil, time, HCONT, index);
}

}  // namespace

Code format_literal(const Frequency& f, int32_t index, const Fiscal& fiscal, std::string& text) {
  if (Code st = check_fiscal(fiscal.end_month, fiscal.label); st != HSUCC) return st;
  if (Code st = check_index(f, index); st != HSUCC) return st;
  if (!is_dated(f)) {
    text = std::to_string(index);
    return HSUCC;
  }
  if (uses_year_period_literal(f)) {
    int year = 0, period = 0;
    if (Code st = index_to_year_period(f, index, fiscal, year, period); st != HSUCC) return st;
    text = padded(year, 4);
    if (const char letter = period_letter(f)) text += letter + padded(period, period_width(f));
    return HSUCC;
  }
  CivilDay day;
  TimeOfDay time;
  if (Code st = index_to_time(f, index, day, time); st != HSUCC) return st;
  text = day_text(day);
  if (f.kind == Kind::Intraday) text += "T" + time_text(time, f.unit_ms);
  return HSUCC;
}

Code parse_literal(const Frequency& f, std::string_view text, const Fiscal& fiscal, int century, int current_year,
                   int32_t& index) {
  if (Code st = check_fiscal(fiscal.end_month, fiscal.label); st != HSUCC) return st;
  const std::string_view s = trim(text);
  if (!is_dated(f)) return parse_case(f, s, index);
  if (uses_year_period_literal(f)) return parse_year_period(f, s, fiscal, century, current_year, index);
  return parse_day_time(f, s, century, current_year, index);
}

}  // namespace crqx::calendar
