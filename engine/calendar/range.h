// Ranges: a run of consecutive periods of one frequency, from its first to
// its last index, at least one and at most 2147483647 observations.
#ifndef CRQX_ENGINE_CALENDAR_RANGE_H
#define CRQX_ENGINE_CALENDAR_RANGE_H

#include <cstdint>

#include "calendar/date_index.h"

namespace crqx::calendar {

struct IndexRange {
    int32_t first = 0;
    int32_t last = 0;
    int numobs() const { return static_cast<int>(int64_t{last} - first + 1); }
};

// From its first and last index: HBSRNG or HBERNG for an end that is no
// date, HBRNG when it ends before it starts, HBNRNG when it is too long.
Status range_of_indexes(const Frequency& f, int64_t first, int64_t last, IndexRange& out);

// From the year/period of its ends (in fiscal years); a case frequency
// takes the periods as its case numbers. A bad end gives HBSRNG or HBERNG.
Status range_of_periods(const Frequency& f, int start_year, int start_period, int end_year,
                        int end_period, const Fiscal& fiscal, IndexRange& out);

// `numobs` periods starting at `anchor`, or ending there: HBSRNG/HBERNG
// when the anchor is no date, HBNRNG for a count below 1 or one that runs
// out of the frequency's span.
enum class Anchor { Start, End };
Status range_of_count(const Frequency& f, int32_t anchor, Anchor which, int numobs,
                      IndexRange& out);

}  // namespace crqx::calendar

#endif
