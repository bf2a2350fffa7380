// Date literals: the one text form of each date, read back exactly.
//   annual, years per period   2020            (the year that labels the period)
//   semiannual                 2020H2          quarterly   2020Q3
//   bimonthly                  2020B4          monthly     2020M07
//   four-month                 2020P3
//   twice-monthly              2020S03         ten-day     2020T12
//   daily, business, week pattern, weekly, biweekly   2020-07-31 (the period's last day)
//   hourly, minutely           2020-07-31T13:45   secondly  2020-07-31T13:45:30
//   millisecondly              2020-07-31T13:45:30.250    (the period's start)
//   case                       42
// Year/period forms count in the fiscal year; two-digit years follow the
// century rule.
#ifndef CRQX_ENGINE_CALENDAR_LITERAL_H
#define CRQX_ENGINE_CALENDAR_LITERAL_H

#include <string>
#include <string_view>

#include "calendar/date_index.h"

namespace crqx::calendar {

// Resolves a two-digit year: century 1..99 puts it in that century (20:
// 2000..2099); 100..9999 is the first year of a 100-year window; 0 is the
// window from 50 years before `current_year` to 49 after. Else HBYEAR.
Status resolve_two_digit_year(int two_digits, int century, int current_year, int& year);

Status format_literal(const Frequency& f, int32_t index, const Fiscal& fiscal, std::string& text);
// HBDATE naming the text when it is no literal of the frequency; the
// statuses of its parts (HBYEAR, HBPER, HBMONT, ...) when a part is bad.
Status parse_literal(const Frequency& f, std::string_view text, const Fiscal& fiscal, int century,
                     int current_year, int32_t& index);

// The year/period letter of a frequency ('\0' for annual forms), and the
// digits its period is padded to.
char period_letter(const Frequency& f);
int period_width(const Frequency& f);
bool uses_year_period_literal(const Frequency& f);

}  // namespace crqx::calendar

#endif
