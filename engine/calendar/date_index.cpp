#include "calendar/date_index.h"

#include <algorithm>

#include "calendar/errors.h"

namespace crqx::calendar {

namespace {

constexpr int64_t kJanuary1970 = 1970 * 12;

int count_bits(int mask) {
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

// Start day-of-month of each part of a split month.
int split_start(int parts, int part) {
    static constexpr int kTwice[2] = {1, 16};
    static constexpr int kTen[3] = {1, 11, 21};
    return parts == 2 ? kTwice[part] : kTen[part];
}

int64_t split_first_day(int parts, int64_t index) {
    const int64_t mn = kJanuary1970 + floor_div(index, parts);
    return first_day_of_month_number(mn) +
           split_start(parts, static_cast<int>(floor_mod(index, parts))) - 1;
}

// Day patterns count included days; `raw` numbers them from the week that
// starts on Sunday 1969-12-28, `pattern_origin` shifts so 1970-01-01 (or the
// first included day after it) is index 0.
int64_t pattern_raw(int mask, int64_t week, int dow0) {
    return week * count_bits(mask) + count_bits(mask & ((1 << dow0) - 1));
}

int64_t pattern_origin(int mask) {
    int64_t d = 0;
    while (!(mask & (1 << floor_mod(d + 4, 7)))) ++d;
    return pattern_raw(mask, floor_div(d + 4, 7), static_cast<int>(floor_mod(d + 4, 7)));
}

int64_t pattern_day(int mask, int64_t index) {
    const int count = count_bits(mask);
    const int64_t raw = index + pattern_origin(mask);
    int rank = static_cast<int>(floor_mod(raw, count));
    int dow0 = 0;
    for (;; ++dow0)
        if ((mask & (1 << dow0)) && rank-- == 0) break;
    return floor_div(raw, count) * 7 + dow0 - 4;
}

std::optional<int64_t> pattern_locate(int mask, int64_t day, Relate relate) {
    const int dow0 = static_cast<int>(floor_mod(day + 4, 7));
    const int64_t raw = pattern_raw(mask, floor_div(day + 4, 7), dow0);
    const bool included = mask & (1 << dow0);
    if (!included && relate == Relate::Contains) return std::nullopt;
    // `raw` numbers the next included day when this one is excluded.
    return raw - pattern_origin(mask) - (!included && relate == Relate::Before ? 1 : 0);
}

int64_t ceil_div(int64_t a, int64_t b) { return floor_div(a + b - 1, b); }

}  // namespace

int missing_type_of(int32_t index) {
    if (index == kIndexND) return HNDVAL;
    if (index == kIndexNC) return HNCVAL;
    if (index == kIndexNA) return HNAVAL;
    return HNMVAL;
}

bool is_dated(const Frequency& f) { return f.kind != Kind::Case; }

int64_t period_first_day(const Frequency& f, int64_t i) {
    switch (f.kind) {
        case Kind::DayPattern: return pattern_day(f.weekday_mask, i);
        case Kind::DaySpan: return f.end_anchor + (i - 1) * f.length + 1;
        case Kind::MonthSpan:
            return first_day_of_month_number(f.end_anchor + (i - 1) * f.length + 1);
        case Kind::MonthSplit: return split_first_day(f.length, i);
        case Kind::Intraday: return floor_div(period_start_ms(f, i), kMsPerDay);
        case Kind::Case: break;
    }
    return 0;
}

int64_t period_last_day(const Frequency& f, int64_t i) {
    switch (f.kind) {
        case Kind::DayPattern: return pattern_day(f.weekday_mask, i);
        case Kind::DaySpan: return f.end_anchor + i * f.length;
        case Kind::MonthSpan: return first_day_of_month_number(f.end_anchor + i * f.length + 1) - 1;
        case Kind::MonthSplit: return split_first_day(f.length, i + 1) - 1;
        case Kind::Intraday: return floor_div(period_end_ms(f, i), kMsPerDay);
        case Kind::Case: break;
    }
    return 0;
}

int64_t period_start_ms(const Frequency& f, int64_t i) {
    if (f.kind == Kind::Intraday) return kIntradayEpochMs + i * f.unit_ms;
    return period_first_day(f, i) * kMsPerDay;
}

int64_t period_end_ms(const Frequency& f, int64_t i) {
    if (f.kind == Kind::Intraday) return kIntradayEpochMs + (i + 1) * f.unit_ms - 1;
    return (period_last_day(f, i) + 1) * kMsPerDay - 1;
}

int64_t period_day(const Frequency& f, int64_t i) { return period_last_day(f, i); }

std::optional<int64_t> locate_day(const Frequency& f, int64_t day, Relate relate) {
    switch (f.kind) {
        case Kind::DayPattern: return pattern_locate(f.weekday_mask, day, relate);
        case Kind::DaySpan: return ceil_div(day - f.end_anchor, f.length);
        case Kind::MonthSpan: return ceil_div(month_number_of_day(day) - f.end_anchor, f.length);
        case Kind::MonthSplit: {
            const CivilDay c = civil_from_days(day);
            int part = f.length - 1;
            while (split_start(f.length, part) > c.day) --part;
            return (month_number(c.year, c.month) - kJanuary1970) * f.length + part;
        }
        case Kind::Intraday: return locate_ms(f, day * kMsPerDay, relate);
        case Kind::Case: break;
    }
    return std::nullopt;
}

std::optional<int64_t> locate_ms(const Frequency& f, int64_t ms, Relate relate) {
    if (f.kind == Kind::Intraday) return floor_div(ms - kIntradayEpochMs, f.unit_ms);
    return locate_day(f, floor_div(ms, kMsPerDay), relate);
}

namespace {

IndexSpan compute_valid_span(const Frequency& f) {
    if (f.kind == Kind::Case) return {kFirstUsableIndex, INT32_MAX};
    if (f.kind == Kind::Intraday) {
        const int64_t first = *locate_ms(f, kMinDay * kMsPerDay, Relate::Contains);
        const int64_t last = *locate_ms(f, (kMaxDay + 1) * kMsPerDay - 1, Relate::Contains);
        return {std::max<int64_t>(first, kFirstUsableIndex), std::min<int64_t>(last, INT32_MAX)};
    }
    int64_t first = *locate_day(f, kMinDay, Relate::After);
    if (period_first_day(f, first) < kMinDay) ++first;
    int64_t last = *locate_day(f, kMaxDay, Relate::Before);
    if (period_last_day(f, last) > kMaxDay) --last;
    return {first, last};
}

bool same_frequency(const Frequency& a, const Frequency& b) {
    return a.code == b.code && a.kind == b.kind && a.weekday_mask == b.weekday_mask &&
           a.length == b.length && a.end_anchor == b.end_anchor && a.unit_ms == b.unit_ms;
}

}  // namespace

// Every range check asks for it, and it costs two searches of the
// calendar: the spans of the frequencies last asked for are kept, per
// thread, in a small table indexed by code.
IndexSpan valid_span(const Frequency& f) {
    struct Kept {
        bool set = false;
        Frequency frequency;
        IndexSpan span;
    };
    static thread_local Kept kept[64];
    Kept& k = kept[static_cast<unsigned>(f.code) % 64];
    if (!k.set || !same_frequency(k.frequency, f)) k = {true, f, compute_valid_span(f)};
    return k.span;
}

bool in_span(const Frequency& f, int64_t index) {
    const IndexSpan s = valid_span(f);
    return index >= s.first && index <= s.last;
}

Status check_index(const Frequency& f, int32_t index) {
    return in_span(f, index) ? Status::OK() : not_a_date(f, index);
}

Status to_date_index(const Frequency& f, std::optional<int64_t> index, const char* point,
                     int32_t& out) {
    if (!index) return no_period_holds(f, point);
    if (!in_span(f, *index)) return not_a_date(f, *index);
    out = static_cast<int32_t>(*index);
    return Status::OK();
}

// ---- Years, fiscal years and counts --------------------------------------

Status check_fiscal(const Fiscal& fy) {
    if (fy.end_month < HFYJAN || fy.end_month > HFYDEC) return bad_fiscal_month(fy.end_month);
    if (fy.label != HFYFST && fy.label != HFYLST && fy.label != HFYAUT)
        return bad_fiscal_label(fy.label);
    return Status::OK();
}

namespace {

bool labelled_by_first_year(const Fiscal& fy) {
    if (fy.end_month == HFYDEC) return false;  // both years are the same
    return fy.label == HFYFST || (fy.label == HFYAUT && fy.end_month <= HFYMAY);
}

// Calendar year in which the fiscal year named `label` ends, and back.
int64_t end_year_of_label(int64_t label, const Fiscal& fy) {
    return label + (labelled_by_first_year(fy) ? 1 : 0);
}
int64_t label_of_end_year(int64_t end_year, const Fiscal& fy) {
    return end_year - (labelled_by_first_year(fy) ? 1 : 0);
}

// The first period whose dating day falls in the fiscal year ending in
// `end_year`: periods belong to the (fiscal) year in which they end.
int64_t first_index_of_year(const Frequency& f, int64_t end_year, const Fiscal& fy) {
    const int64_t first_day = first_day_of_month_number(month_number(end_year, fy.end_month) - 11);
    return *locate_day(f, first_day, Relate::After);
}

// `what()` names the count in the failure's text; made only then.
template <typename NameCount>
Status narrow_count(const Frequency& f, NameCount what, int64_t value, int& out) {
    if (value > INT32_MAX) return count_too_large(f, what(), value);
    out = static_cast<int>(value);
    return Status::OK();
}

bool valid_year(int64_t y) { return y >= kFirstYear && y <= kLastYear; }

// Whether any day of the fiscal year ending in `end_year` lies in 1..9999.
bool overlaps_span(int64_t end_year, const Fiscal& fy) {
    if (end_year < kFirstYear - 1 || end_year > kLastYear + 1) return false;
    const int64_t end_mn = month_number(end_year, fy.end_month);
    return first_day_of_month_number(end_mn - 11) <= kMaxDay &&
           first_day_of_month_number(end_mn + 1) - 1 >= kMinDay;
}

}  // namespace

Status index_to_year_period(const Frequency& f, int32_t index, const Fiscal& fy, int& year,
                            int& period) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_fiscal(fy));
    CRQX_RETURN_IF_ERROR(check_index(f, index));
    const int64_t mn = month_number_of_day(period_day(f, index));
    const int64_t end_mn = mn + floor_mod(fy.end_month - 1 - floor_mod(mn, 12), 12);
    const int64_t end_year = year_of_month_number(end_mn);
    int p = 0;
    CRQX_RETURN_IF_ERROR(narrow_count(
        f, [&] { return "the period of index " + std::to_string(index); },
        index - first_index_of_year(f, end_year, fy) + 1, p));
    year = static_cast<int>(label_of_end_year(end_year, fy));
    period = p;
    return Status::OK();
}

Status year_period_to_index(const Frequency& f, int year, int period, const Fiscal& fy,
                            int32_t& index) {
    if (!is_dated(f)) return no_calendar(f);
    CRQX_RETURN_IF_ERROR(check_fiscal(fy));
    const int64_t end_year = end_year_of_label(year, fy);
    if (!overlaps_span(end_year, fy)) return bad_year(year);
    const int64_t first = first_index_of_year(f, end_year, fy);
    if (period < 1 || first + period - 1 >= first_index_of_year(f, end_year + 1, fy))
        return bad_period(f, year, period);
    return to_date_index(f, first + period - 1, "the period", index);
}

Status periods_in_year(const Frequency& f, int year, int& count) {
    if (!is_dated(f)) return no_calendar(f);
    if (!valid_year(year)) return bad_year(year);
    return narrow_count(
        f, [&] { return "the periods in year " + std::to_string(year); },
        first_index_of_year(f, year + 1, kCalendarYear) -
            first_index_of_year(f, year, kCalendarYear),
        count);
}

Status periods_in_month(const Frequency& f, int year, int month, int& count) {
    if (!is_dated(f)) return no_calendar(f);
    if (!valid_year(year)) return bad_year(year);
    if (month < HJAN || month > HDEC) return bad_month(month);
    const int64_t mn = month_number(year, month);
    const int64_t first = *locate_day(f, first_day_of_month_number(mn), Relate::After);
    const int64_t next = *locate_day(f, first_day_of_month_number(mn + 1), Relate::After);
    return narrow_count(
        f,
        [&] {
            return "the periods in month " + std::to_string(month) + " of " + std::to_string(year);
        },
        next - first, count);
}

Status periods_per_day(const Frequency& f, int& count) {
    if (!is_dated(f)) return no_calendar(f);
    if (f.kind == Kind::Intraday)
        return narrow_count(
            f, [] { return std::string("the periods in a day"); }, kMsPerDay / f.unit_ms, count);
    count = f.kind == Kind::DayPattern ? 1 : 0;
    return Status::OK();
}

}  // namespace crqx::calendar
