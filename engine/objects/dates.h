// Creation and modification times, and first/last observations, in the
// forms the inquiry functions report: civil dates (UTC) and date indexes.
#pragma once

#include <cstdint>
#include <optional>

#include "core/status.h"

namespace crqx {
namespace objects {

struct CivilDate {
    int year = 0, month = 0, day = 0;
};

// The UTC calendar day of a time in milliseconds since 1970-01-01.
CivilDate civil_of_ms(int64_t ms);

// The date index of frequency `freq` whose period holds the time `ms`
// (for a day the frequency skips, the period before it). HBFREQ for an
// invalid or undated frequency.
Status index_of_ms(int freq, int64_t ms, int32_t* index);

// The frequency used where no frequency is asked for (zavo_get_db_dates).
constexpr int kTimestampFrequency = HSEC;

// Year and period of an observation index; 0 and 0 when there is none.
void year_period(int freq, std::optional<int32_t> index, int* year, int* period);

// The index itself, or the missing index ND when there is none.
int32_t index_or_missing(std::optional<int32_t> index);

}  // namespace objects
}  // namespace crqx
