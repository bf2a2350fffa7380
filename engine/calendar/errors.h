// The calendar's failures, each a Status whose text names the value at
// fault (the frequency code, the index, the year, the text...), so the last
// error says what was wrong, not only which kind of thing.
#ifndef CRQX_ENGINE_CALENDAR_ERRORS_H
#define CRQX_ENGINE_CALENDAR_ERRORS_H

#include <cstdint>
#include <string>
#include <string_view>

#include "calendar/frequency.h"
#include "core/status.h"

namespace crqx::calendar {

// "frequency 7" or, for a valid code, its name: "MONTHLY".
std::string frequency_label(int code);

Status bad_frequency(int code);                                        // HBFREQ
Status no_calendar(const Frequency& f);                                // HBFREQ: case frequencies
Status not_a_date(const Frequency& f, int64_t index);                  // HBDATE
Status no_period_holds(const Frequency& f, const std::string& point);  // HBDATE
Status bad_year(int64_t year);                                         // HBYEAR
Status bad_month(int64_t month);                                       // HBMONT
Status bad_day(int year, int month, int day);                          // HBDAY
Status bad_time(int hour, int minute, int second, int millisecond);    // HBTIME
Status bad_period(const Frequency& f, int64_t year, int64_t period);   // HBPER
// `what`: the count that overflowed, e.g. "the periods in year 2036".
Status count_too_large(const Frequency& f, const std::string& what, int64_t count);  // HBPER
// A day or an instant as text, for the errors that name one: "2020-08-01",
// "2020-08-01T13:45:00.000".
std::string day_label(int64_t year, int month, int day);
std::string instant_label(int64_t year, int month, int day, int hour, int minute, int second,
                          int millisecond);
Status bad_relate(int relate);           // HBREL
Status bad_select(int select);           // HBSEL
Status bad_fiscal_month(int end_month);  // HBFMON
Status bad_fiscal_label(int label);      // HBFLAB
Status bad_century(int century);         // HBYEAR
// `example`: a literal of the frequency, shown as the form expected ("" none).
Status not_a_literal(const Frequency& f, std::string_view text,
                     const std::string& example);                    // HBDATE
Status bad_picture(std::string_view image, const std::string& why);  // HBADVAL
Status not_in_picture(std::string_view text, std::string_view image,
                      const std::string& why);  // HBDATE

}  // namespace crqx::calendar

#endif
