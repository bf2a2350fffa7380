#include "calendar/convert.h"

namespace crqx::calendar {

Code check_relate(int relate) {
  return (relate == HBEFOR || relate == HAFTER || relate == HCONT) ? HSUCC : HBREL;
}

Code check_select(int select) {
  return (select == HBEGIN || select == HEND || select == HINTVL) ? HSUCC : HBSEL;
}

Code check_civil_day(int year, int month, int day) {
  if (year < kFirstYear || year > kLastYear) return HBYEAR;
  if (month < 1 || month > 12) return HBMONT;
  if (day < 1 || day > days_in_month(year, month)) return HBDAY;
  return HSUCC;
}

Code check_time(const TimeOfDay& t) {
  const bool ok = t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
                  t.second < 60 && t.millisecond >= 0 && t.millisecond < 1000;
  return ok ? HSUCC : HBTIME;
}

Code index_to_day(const Frequency& f, int32_t index, CivilDay& day) {
  if (!is_dated(f)) return HBFREQ;
  if (Code s = check_index(f, index); s != HSUCC) return s;
  day = civil_from_days(period_day(f, index));
  return HSUCC;
}

Code day_to_index(const Frequency& f, const CivilDay& day, int relate, int32_t& index) {
  if (!is_dated(f)) return HBFREQ;
  if (Code s = check_civil_day(day.year, day.month, day.day); s != HSUCC) return s;
  if (Code s = check_relate(relate); s != HSUCC) return s;
  return to_date_index(f, locate_day(f, days_from_civil(day.year, day.month, day.day), Relate(relate)), index);
}

Code index_to_time(const Frequency& f, int32_t index, CivilDay& day, TimeOfDay& time) {
  if (!is_dated(f)) return HBFREQ;
  if (Code s = check_index(f, index); s != HSUCC) return s;
  const int64_t start = f.kind == Kind::Intraday ? period_start_ms(f, index) : period_day(f, index) * kMsPerDay;
  day = civil_from_days(floor_div(start, kMsPerDay));
  int64_t ms = floor_mod(start, kMsPerDay);
  time.hour = static_cast<int>(ms / 3600000);
  time.minute = static_cast<int>(ms / 60000 % 60);
  time.second = static_cast<int>(ms / 1000 % 60);
  time.millisecond = static_cast<int>(ms % 1000);
  return HSUCC;
}

Code time_to_index(const Frequency& f, const CivilDay& day, const TimeOfDay& time, int relate, int32_t& index) {
  if (!is_dated(f)) return HBFREQ;
  if (Code s = check_civil_day(day.year, day.month, day.day); s != HSUCC) return s;
  if (Code s = check_time(time); s != HSUCC) return s;
  if (Code s = check_relate(relate); s != HSUCC) return s;
  const int64_t ms = days_from_civil(day.year, day.month, day.day) * kMsPerDay + time.hour * int64_t{3600000} +
                     time.minute * int64_t{60000} + time.second * int64_t{1000} + time.millisecond;
  return instant_to_index(f, ms, Relate(relate), index);
}

Code instant_to_index(const Frequency& f, int64_t ms, Relate relate, int32_t& index) {
  if (!is_dated(f)) return HBFREQ;
  return to_date_index(f, locate_ms(f, ms, relate), index);
}

Code weekday_of_index(const Frequency& f, int32_t index, int& weekday) {
  if (!is_dated(f)) return HBFREQ;
  if (Code s = check_index(f, index); s != HSUCC) return s;
  weekday = weekday_of_day(period_day(f, index));
  return HSUCC;
}

Code biweekday_of_index(const Frequency& f, int32_t index, int& biweekday) {
  if (!is_dated(f)) return HBFREQ;
  if (Code s = check_index(f, index); s != HSUCC) return s;
  biweekday = biweekday_of_day(period_day(f, index));
  return HSUCC;
}

Code change_frequency(const Frequency& from, int32_t index, int select, const Frequency& to, int relate,
                      int32_t& result) {
  if (Code s = check_select(select); s != HSUCC) return s;
  if (Code s = check_relate(relate); s != HSUCC) return s;
  if (is_dated(from) != is_dated(to)) return HBFREQ;
  if (Code s = check_index(from, index); s != HSUCC) return s;
  if (!is_dated(from)) return (result = index, HSUCC);  // case numbers carry over unchanged
  const int64_t first = period_start_ms(from, index);
  const int64_t last = period_end_ms(from, index);
  std::optional<int64_t> target;
  if (select == HBEGIN) {
    target = locate_ms(to, first, Relate(relate));
  } else if (select == HEND) {
    target = locate_ms(to, last, Relate(relate));
  } else if (relate == HBEFOR) {
    target = locate_ms(to, first, Relate::Before);
  } else if (relate == HAFTER) {
    target = locate_ms(to, last, Relate::After);
  } else {  // the whole span must lie in one target period
    const auto a = locate_ms(to, first, Relate::Contains);
    const auto b = locate_ms(to, last, Relate::Contains);
    if (a && b && *a == *b) target = a;
  }
  return to_date_index(to, target, result);
}

}  // namespace crqx::calendar
