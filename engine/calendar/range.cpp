#include "calendar/range.h"

#include <algorithm>
#include <string>

#include "calendar/errors.h"

namespace crqx::calendar {

namespace {

Status no_date_at_end(int status, const Frequency& f, int64_t index) {
    const char* end = status == HBSRNG ? "starts" : "ends";
    return Status::Error(status, std::string("the range ") + end + " at " + std::to_string(index) +
                                     ", no date of " + frequency_label(f.code));
}

// One end given as year/period; its failure becomes `status` (HBSRNG or HBERNG).
Status end_of_periods(const Frequency& f, int year, int period, const Fiscal& fy, int status,
                      int32_t& index) {
    Status s =
        is_dated(f) ? year_period_to_index(f, year, period, fy, index) : check_index(f, period);
    if (s.ok() && !is_dated(f)) index = period;
    if (s.ok()) return s;
    return Status::Error(
        status, std::string(status == HBSRNG ? "start" : "end") + " of the range: " + s.message());
}

}  // namespace

Status range_of_indexes(const Frequency& f, int64_t first, int64_t last, IndexRange& out) {
    if (!in_span(f, first)) return no_date_at_end(HBSRNG, f, first);
    if (!in_span(f, last)) return no_date_at_end(HBERNG, f, last);
    if (last < first)
        return Status::Error(HBRNG, "the range ends at " + std::to_string(last) +
                                        ", before its start " + std::to_string(first));
    if (last - first + 1 > INT32_MAX)
        return Status::Error(HBNRNG, "the " + frequency_label(f.code) + " range from index " +
                                         std::to_string(first) + " to " + std::to_string(last) +
                                         " holds " + std::to_string(last - first + 1) +
                                         " observations, more than 2147483647");
    out = {static_cast<int32_t>(first), static_cast<int32_t>(last)};
    return Status::OK();
}

Status range_of_periods(const Frequency& f, int start_year, int start_period, int end_year,
                        int end_period, const Fiscal& fy, IndexRange& out) {
    int32_t first = 0, last = 0;
    CRQX_RETURN_IF_ERROR(end_of_periods(f, start_year, start_period, fy, HBSRNG, first));
    CRQX_RETURN_IF_ERROR(end_of_periods(f, end_year, end_period, fy, HBERNG, last));
    if (last < first)
        return Status::Error(HBRNG, "the range ends at year " + std::to_string(end_year) +
                                        " period " + std::to_string(end_period) +
                                        ", before its start, year " + std::to_string(start_year) +
                                        " period " + std::to_string(start_period));
    return range_of_indexes(f, first, last, out);
}

Status range_of_count(const Frequency& f, int32_t anchor, Anchor which, int numobs,
                      IndexRange& out) {
    if (!in_span(f, anchor))
        return no_date_at_end(which == Anchor::Start ? HBSRNG : HBERNG, f, anchor);
    const int64_t other =
        which == Anchor::Start ? int64_t{anchor} + numobs - 1 : int64_t{anchor} - numobs + 1;
    if (numobs < 1 || !in_span(f, other))
        return Status::Error(
            HBNRNG, "numobs " + std::to_string(numobs) + " from index " + std::to_string(anchor) +
                        " is below 1 or runs out of the span of " + frequency_label(f.code));
    return range_of_indexes(f, std::min<int64_t>(anchor, other), std::max<int64_t>(anchor, other),
                            out);
}

}  // namespace crqx::calendar
