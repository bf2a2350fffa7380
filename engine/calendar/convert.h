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

// Input checks, each failing with a Status that names the value.
Status check_relate(int relate);              // OK or HBREL
Status check_select(int select);              // OK or HBSEL
Status check_civil_day(const CivilDay& day);  // OK, HBYEAR, HBMONT or HBDAY
Status check_time(const TimeOfDay& t);        // OK or HBTIME

// The conversions leave their outputs alone when they fail; a case
// frequency has no calendar (HBFREQ).
// The day a period is dated by (its last day).
Status index_to_day(const Frequency& f, int32_t index, CivilDay& day);
Status day_to_index(const Frequency& f, const CivilDay& day, int relate, int32_t& index);
// A period's day and its time: the start time for intraday periods,
// midnight for longer ones.
Status index_to_time(const Frequency& f, int32_t index, CivilDay& day, TimeOfDay& time);
Status time_to_index(const Frequency& f, const CivilDay& day, const TimeOfDay& time, int relate,
                     int32_t& index);
// The period holding an instant (ms since 1970-01-01T00:00), e.g. now.
Status instant_to_index(const Frequency& f, int64_t ms, Relate relate, int32_t& index);

Status weekday_of_index(const Frequency& f, int32_t index, int& weekday);
Status biweekday_of_index(const Frequency& f, int32_t index, int& biweekday);

// Carries a period of `from` to `to`. `select` picks the source's first
// instant (HBEGIN), last instant (HEND) or whole span (HINTVL); `relate`
// resolves a point or span that no single target period holds: HBEFOR
// takes the target period at or before its start, HAFTER the one at or
// after its end, HCONT fails with HBDATE.
Status change_frequency(const Frequency& from, int32_t index, int select, const Frequency& to,
                        int relate, int32_t& result);

}  // namespace crqx::calendar

#endif
