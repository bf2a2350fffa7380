#include "calendar/convert.h"

#include "calendar/errors.h"

namespace crqx::calendar {

Status check_relate(int relate) {
    return (relate == HBEFOR || relate == HAFTER || relate == HCONT) ? Status::OK()
                                                                     : bad_relate(relate);
}

Status check_select(int select) {
    return (select == HBEGIN || select == HEND || select == HINTVL) ? Status::OK()
                                                                    : bad_select(select);
}

Status check_civil_day(const CivilDay& d) {
    if (d.year < kFirstYear || d.year > kLastYear) return bad_year(d.year);
    if (d.month < 1 || d.month > 12) return bad_month(d.month);
    if (d.day < 1 || d.day > days_in_month(d.year, d.month)) return bad_day(d.year, d.month, d.day);
    return Status::OK();
}

Status check_time(const TimeOfDay& t) {
    const bool ok = t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
                    t.second < 60 && t.millisecond >= 0 && t.millisecond < 1000;
    return ok ? Status::OK() : bad_time(t.hour, t.minute, t.second, t.millisecond);
}

Status index_to_day(const Frequency& f, int32_t index, CivilDay& day) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_index(f, index));
    day = civil_from_days(period_day(f, index));
    return Status::OK();
}

Status day_to_index(const Frequency& f, const CivilDay& day, int relate, int32_t& index) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_civil_day(day));
    CRQX_RETURN_IF_ERROR(check_relate(relate));
    const auto located =
        locate_day(f, days_from_civil(day.year, day.month, day.day), Relate(relate));
    return to_date_index(
        f, located, [&] { return "the day " + day_label(day.year, day.month, day.day); }, index);
}

Status index_to_time(const Frequency& f, int32_t index, CivilDay& day, TimeOfDay& time) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_index(f, index));
    const int64_t start =
        f.kind == Kind::Intraday ? period_start_ms(f, index) : period_day(f, index) * kMsPerDay;
    day = civil_from_days(floor_div(start, kMsPerDay));
    int64_t ms = floor_mod(start, kMsPerDay);
    time.hour = static_cast<int>(ms / 3600000);
    time.minute = static_cast<int>(ms / 60000 % 60);
    time.second = static_cast<int>(ms / 1000 % 60);
    time.millisecond = static_cast<int>(ms % 1000);
    return Status::OK();
}

Status time_to_index(const Frequency& f, const CivilDay& day, const TimeOfDay& time, int relate,
                     int32_t& index) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_civil_day(day));
    CRQX_RETURN_IF_ERROR(check_time(time));
    CRQX_RETURN_IF_ERROR(check_relate(relate));
    const int64_t ms = days_from_civil(day.year, day.month, day.day) * kMsPerDay +
                       time.hour * int64_t{3600000} + time.minute * int64_t{60000} +
                       time.second * int64_t{1000} + time.millisecond;
    return to_date_index(
        f, locate_ms(f, ms, Relate(relate)),
        [&] {
            return "the instant " + instant_label(day.year, day.month, day.day, time.hour,
                                                  time.minute, time.second, time.millisecond);
        },
        index);
}

Status instant_to_index(const Frequency& f, int64_t ms, Relate relate, int32_t& index) {
    if (!is_dated(f)) return no_calendar(f);
    return to_date_index(f, locate_ms(f, ms, relate), "the instant", index);
}

Status weekday_of_index(const Frequency& f, int32_t index, int& weekday) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_index(f, index));
    weekday = weekday_of_day(period_day(f, index));
    return Status::OK();
}

Status biweekday_of_index(const Frequency& f, int32_t index, int& biweekday) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_index(f, index));
    biweekday = biweekday_of_day(period_day(f, index));
    return Status::OK();
}

Status change_frequency(const Frequency& from, int32_t index, int select, const Frequency& to,
                        int relate, int32_t& result) {
    CRQX_RETURN_IF_ERROR(check_select(select));
    CRQX_RETURN_IF_ERROR(check_relate(relate));
    if (is_dated(from) != is_dated(to)) return no_calendar(is_dated(from) ? to : from);
    CRQX_RETURN_IF_ERROR(check_index(from, index));
    if (!is_dated(from))
        return (result = index, Status::OK());  // case numbers carry over unchanged
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
    return to_date_index(to, target, "the source period", result);
}

}  // namespace crqx::calendar
