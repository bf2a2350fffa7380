// The local wall clock: today, now and the current year, as the calendar
// counts them. Reading the local time zone is the one platform-specific
// step, kept in clock.cpp.
#ifndef CRQX_ENGINE_CALENDAR_CLOCK_H
#define CRQX_ENGINE_CALENDAR_CLOCK_H

#include <cstdint>

#include "calendar/date_index.h"

namespace crqx::calendar {

// Local time now, in ms since 1970-01-01T00:00 of the local calendar.
int64_t local_now_ms();
int current_year();

// The period holding today's local date, or for a day between periods the
// one before it (HBDATE when that is outside the span, HBFREQ for case).
Status today_index(const Frequency& f, int32_t& index);
// The period holding the local time now, likewise.
Status now_index(const Frequency& f, int32_t& index);

}  // namespace crqx::calendar

#endif
