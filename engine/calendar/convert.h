// Conversions between date indexes and calendar days, times of day,
// weekdays, instants, and other frequencies.
#ifndef CRQX_ENGINE_CALENDAR_CONVERT_H
#define CRQX_ENGINE_CALENDAR_CONVERT_H

#include <cstdint>

#include "calendar/date_index.h"

namespace crqx::calendar {

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

Code check_relate(int relate);  // HSUCC or HBREL
Code check_select(int select);  // HSUCC or HBSEL
// HSUCC, HBYEAR, HBMONT or HBDAY.
Code check_civil_day(int year, int month, int day);
Code check_time(const TimeOfDay& t);  // HSUCC or HBTIME

// The day a period is dated by (its last day).
Code index_to_day(const Frequency& f, int32_t index, CivilDay& day);
Code day_to_index(const Frequency& f, const CivilDay& day, int relate, int32_t& index);
// A period's day and its time: the start time for intraday periods,
// midnight for longer ones.
Code index_to_time(const Frequency& f, int32_t index, CivilDay& day, TimeOfDay& time);
Code time_to_index(const Frequency& f, const CivilDay& day, const TimeOfDay& time, int relate, int32_t& index);
// The period holding an instant (ms since 1970-01-01T00:00), e.g. now.
Code instant_to_index(const Frequency& f, int64_t ms, Relate relate, int32_t& index);

Code weekday_of_index(const Frequency& f, int32_t index, int& weekday);
Code biweekday_of_index(const Frequency& f, int32_t index, int& biweekday);

// Carries a period of `from` to `to`. `select` picks the source's first
// instant (HBEGIN), last instant (HEND) or whole span (HINTVL); `relate`
// resolves a point or span that no single target period holds: HBEFOR
// takes the target period at or before its start, HAFTER the one at or
// after its end, HCONT fails with HBDATE.
Code change_frequency(const Frequency& from, int32_t index, int select, const Frequency& to, int relate,
                      int32_t& result);

}  // namespace crqx::calendar

#endif
