// Date indexes: one consecutive 32-bit integer per period of a frequency.
// Index 0 of every calendar frequency except the intraday ones is the period
// containing 1970-01-01; index 0 of an intraday frequency is the period that
// starts at 2036-01-01T00:00:00.000 (so secondly indexes reach from 1967 to
// 2104). The three lowest ints are the missing indexes and never dates.
#ifndef CRQX_ENGINE_CALENDAR_DATE_INDEX_H
#define CRQX_ENGINE_CALENDAR_DATE_INDEX_H

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "calendar/civil.h"
#include "calendar/frequency.h"
#include "core/missing.h"
#include "core/status.h"

namespace crqx::calendar {

constexpr int32_t kIndexNC = missing::kIntNC;
constexpr int32_t kIndexND = missing::kIntND;
constexpr int32_t kIndexNA = missing::kIntNA;
constexpr int32_t kFirstUsableIndex = INT32_MIN + 3;
static_assert(kIndexNC < kFirstUsableIndex && kIndexND < kFirstUsableIndex &&
                  kIndexNA < kFirstUsableIndex,
              "missing indexes must lie below every date");

constexpr int64_t kIntradayEpochDay = days_from_civil(2036, 1, 1);
constexpr int64_t kIntradayEpochMs = kIntradayEpochDay * kMsPerDay;

// How to pick a period for a day or instant that no period contains (or, in
// a frequency change, for a span that crosses periods).
enum class Relate { Before = HBEFOR, After = HAFTER, Contains = HCONT };

int missing_type_of(int32_t index);  // HNMVAL for a date, else HNDVAL / HNCVAL / HNAVAL
bool is_dated(const Frequency& f);

// Period geometry on unbounded indexes (no span checks).
int64_t period_first_day(const Frequency& f, int64_t index);
int64_t period_last_day(const Frequency& f, int64_t index);
int64_t period_start_ms(const Frequency& f, int64_t index);  // ms since 1970-01-01T00:00
int64_t period_end_ms(const Frequency& f, int64_t index);    // last ms, inclusive
// The day a period is dated by: its last day (an intraday period's own day).
int64_t period_day(const Frequency& f, int64_t index);
std::optional<int64_t> locate_day(const Frequency& f, int64_t day, Relate relate);
std::optional<int64_t> locate_ms(const Frequency& f, int64_t ms, Relate relate);

// The indexes of a frequency that are dates: periods wholly within the years
// 1..9999 and, for intraday frequencies, within the usable 32-bit range.
struct IndexSpan {
    int64_t first;
    int64_t last;
};
IndexSpan valid_span(const Frequency& f);
bool in_span(const Frequency& f, int64_t index);
Status check_index(const Frequency& f, int32_t index);  // OK or HBDATE

// Fiscal years end with `end_month`; `label` picks the calendar year that
// names them (first, last, or automatic: first for years ending January to May).
struct Fiscal {
    int end_month = HDEC;
    int label = HFYLST;
};
constexpr Fiscal kCalendarYear{};
Status check_fiscal(const Fiscal& fiscal);  // OK, HBFMON or HBFLAB

// Every function below fails with a Status naming the value at fault and
// leaves its outputs alone then; a case frequency has no years (HBFREQ).
Status index_to_year_period(const Frequency& f, int32_t index, const Fiscal& fiscal, int& year,
                            int& period);
Status year_period_to_index(const Frequency& f, int year, int period, const Fiscal& fiscal,
                            int32_t& index);
Status periods_in_year(const Frequency& f, int year, int& count);
Status periods_in_month(const Frequency& f, int year, int month, int& count);
// Periods in one day: per day for intraday frequencies, 1 for the daily
// kinds (daily, business, week pattern), 0 for longer periods.
Status periods_per_day(const Frequency& f, int& count);

// A located period as a 32-bit date; HBDATE when it is none: `point` (the
// day or instant asked for) lies between periods, or the period lies
// outside the frequency's span.
Status to_date_index(const Frequency& f, std::optional<int64_t> index, const char* point,
                     int32_t& out);
// The same where the point's name takes work to make: `name_point()` is
// called only for the failure's text.
template <typename NamePoint>
Status to_date_index(const Frequency& f, std::optional<int64_t> index, NamePoint name_point,
                     int32_t& out) {
    return to_date_index(f, index, index ? "" : name_point().c_str(), out);
}

}  // namespace crqx::calendar

#endif
