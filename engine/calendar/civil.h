// Proleptic Gregorian calendar arithmetic on day numbers (day 0 is
// 1970-01-01) and month numbers (year * 12 + month - 1). Pure and constexpr.
#ifndef CRQX_ENGINE_CALENDAR_CIVIL_H
#define CRQX_ENGINE_CALENDAR_CIVIL_H

#include <cstdint>

namespace crqx::calendar {

constexpr int kFirstYear = 1;  // every frequency lives within these years
constexpr int kLastYear = 9999;
constexpr int64_t kMsPerDay = 86400000;

struct CivilDay {
    int year;
    int month;  // 1..12
    int day;    // 1..31
};

constexpr int64_t floor_div(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
constexpr int64_t floor_mod(int64_t a, int64_t b) { return a - floor_div(a, b) * b; }

constexpr bool is_leap_year(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

constexpr int days_in_month(int64_t y, int m) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && is_leap_year(y)) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to y-m-d (era-based, exact for all years).
constexpr int64_t days_from_civil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = floor_div(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr CivilDay civil_from_days(int64_t z) {
    z += 719468;
    const int64_t era = floor_div(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

constexpr int64_t month_number(int64_t y, int m) { return y * 12 + (m - 1); }
constexpr int64_t year_of_month_number(int64_t mn) { return floor_div(mn, 12); }
constexpr int month_of_month_number(int64_t mn) { return static_cast<int>(floor_mod(mn, 12)) + 1; }
constexpr int64_t first_day_of_month_number(int64_t mn) {
    return days_from_civil(year_of_month_number(mn), month_of_month_number(mn), 1);
}
constexpr int64_t month_number_of_day(int64_t day) {
    const CivilDay c = civil_from_days(day);
    return month_number(c.year, c.month);
}

// Weekday code of a day: 1 (Sunday) .. 7 (Saturday); day 0 was a Thursday.
constexpr int weekday_of_day(int64_t day) { return static_cast<int>(floor_mod(day + 4, 7)) + 1; }
// Day of the fixed two-week cycle: 1..7 first week (Sunday..Saturday),
// 8..14 second week. Cycle day 1 is Sunday 1969-12-28 (day -4).
constexpr int biweekday_of_day(int64_t day) { return static_cast<int>(floor_mod(day + 4, 14)) + 1; }

constexpr int64_t kMinDay = days_from_civil(kFirstYear, 1, 1);
constexpr int64_t kMaxDay = days_from_civil(kLastYear, 12, 31);

constexpr bool valid_civil_day(int64_t y, int m, int d) {
    return y >= kFirstYear && y <= kLastYear && m >= 1 && m <= 12 && d >= 1 &&
           d <= days_in_month(y, m);
}

}  // namespace crqx::calendar

#endif
