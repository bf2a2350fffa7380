// C entry points of the calendar: ranges, date conversions, frequencies,
// literals and pictures. Each entry point is one line over a body that its
// classic and extended forms share; a body checks its pointers, asks the
// calendar room, and stores results only on success (the calendar leaves
// its outputs alone when it fails, so they can be the caller's own).
#include <optional>
#include <string>
#include <type_traits>

#include "api/status_report.h"
#include "calendar/clock.h"
#include "calendar/convert.h"
#include "calendar/errors.h"
#include "calendar/literal.h"
#include "calendar/picture.h"
#include "calendar/range.h"
#include "crqx.h"

using namespace crqx;
using namespace crqx::calendar;
using api::not_null;
using api::run;
using api::set_status;

static_assert(std::is_same<int32_t, int>::value, "date indexes travel in the caller's ints");

namespace {

Fiscal fiscal(int end_month, int label) { return Fiscal{end_month, label}; }

// ---- ranges ----

// Stores a range into the caller's [frequency, first, last] array; always OK.
Status store_range(const Frequency& f, const IndexRange& r, int* range, int* numobs) {
    range[CRQX_RANGE_FREQ] = f.code;
    range[CRQX_RANGE_FIRST] = r.first;
    range[CRQX_RANGE_LAST] = r.last;
    if (numobs) *numobs = r.numobs();
    return Status::OK();
}

Status range_from_periods(int freq, const int* syear, const int* sprd, const int* eyear,
                          const int* eprd, int* range, int* numobs, const Fiscal& fy) {
    CRQX_RETURN_IF_ERROR(not_null(syear, "syear", sprd, "sprd", eyear, "eyear", eprd, "eprd", range,
                                  "range", numobs, "numobs"));
    CRQX_RETURN_IF_ERROR(check_fiscal(fy));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    IndexRange r;
    CRQX_RETURN_IF_ERROR(range_of_periods(f, *syear, *sprd, *eyear, *eprd, fy, r));
    return store_range(f, r, range, numobs);
}

Status range_from_indexes(int* range, int freq, int start, int end) {
    CRQX_RETURN_IF_ERROR(not_null(range, "range"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    IndexRange r;
    CRQX_RETURN_IF_ERROR(range_of_indexes(f, start, end, r));
    return store_range(f, r, range, nullptr);
}

Status range_from_count(int* range, int freq, int anchor, Anchor which, int numobs) {
    CRQX_RETURN_IF_ERROR(not_null(range, "range"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    IndexRange r;
    CRQX_RETURN_IF_ERROR(range_of_count(f, anchor, which, numobs, r));
    return store_range(f, r, range, nullptr);
}

Status range_numobs(int* range, int* numobs) {
    CRQX_RETURN_IF_ERROR(not_null(range, "range", numobs, "numobs"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(range[CRQX_RANGE_FREQ], f));
    IndexRange r;
    CRQX_RETURN_IF_ERROR(range_of_indexes(f, range[CRQX_RANGE_FIRST], range[CRQX_RANGE_LAST], r));
    *numobs = r.numobs();
    return Status::OK();
}

// ---- dates, days and times ----

Status date_to_year_period(int freq, int date, int* year, int* period, const Fiscal& fy) {
    CRQX_RETURN_IF_ERROR(not_null(year, "year", period, "period"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return index_to_year_period(f, date, fy, *year, *period);
}

Status year_period_to_date(int freq, int* date, int year, int period, const Fiscal& fy) {
    CRQX_RETURN_IF_ERROR(not_null(date, "date"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return year_period_to_index(f, year, period, fy, *date);
}

Status date_to_day(int freq, int date, int* year, int* month, int* day) {
    CRQX_RETURN_IF_ERROR(not_null(year, "year", month, "month", day, "day"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    CivilDay d;
    CRQX_RETURN_IF_ERROR(index_to_day(f, date, d));
    *year = d.year, *month = d.month, *day = d.day;
    return Status::OK();
}

Status day_to_date(int freq, int* date, int year, int month, int day, int relate) {
    CRQX_RETURN_IF_ERROR(not_null(date, "date"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return day_to_index(f, {year, month, day}, relate, *date);
}

// qzvdatt: the period's time to the second, with its day as a daily index.
Status date_to_clock(int freq, int date, int* hour, int* minute, int* second, int* ddate) {
    CRQX_RETURN_IF_ERROR(
        not_null(hour, "hour", minute, "minute", second, "second", ddate, "ddate"));
    Frequency f, daily;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    CRQX_RETURN_IF_ERROR(frequency_of(HDAILY, daily));
    CivilDay d;
    TimeOfDay t;
    CRQX_RETURN_IF_ERROR(index_to_time(f, date, d, t));
    CRQX_RETURN_IF_ERROR(day_to_index(daily, d, HCONT, *ddate));
    *hour = t.hour, *minute = t.minute, *second = t.second;
    return Status::OK();
}

// qzvtdat: the period holding a time of the day `ddate` (a daily index).
Status clock_to_date(int freq, int* date, int hour, int minute, int second, int ddate) {
    CRQX_RETURN_IF_ERROR(not_null(date, "date"));
    Frequency f, daily;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    CRQX_RETURN_IF_ERROR(frequency_of(HDAILY, daily));
    CivilDay d;
    CRQX_RETURN_IF_ERROR(index_to_day(daily, ddate, d));
    return time_to_index(f, d, {hour, minute, second, 0}, HCONT, *date);
}

Status date_to_time(int freq, int date, int* year, int* month, int* day, int* hour, int* minute,
                    int* second, int* millisecond) {
    CRQX_RETURN_IF_ERROR(not_null(year, "year", month, "month", day, "day", hour, "hour", minute,
                                  "minute", second, "second", millisecond, "millisecond"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    CivilDay d;
    TimeOfDay t;
    CRQX_RETURN_IF_ERROR(index_to_time(f, date, d, t));
    *year = d.year, *month = d.month, *day = d.day;
    *hour = t.hour, *minute = t.minute, *second = t.second, *millisecond = t.millisecond;
    return Status::OK();
}

Status time_to_date(int freq, int* date, const CivilDay& day, const TimeOfDay& time, int relate) {
    CRQX_RETURN_IF_ERROR(not_null(date, "date"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return time_to_index(f, day, time, relate, *date);
}

// Today (`clock_index` today_index) or now (now_index) in `freq`.
Status current_date(int freq, int* date, Status (*clock_index)(const Frequency&, int32_t&)) {
    CRQX_RETURN_IF_ERROR(not_null(date, "date"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return clock_index(f, *date);
}

// A weekday or cycle day of a period (weekday_of_index, biweekday_of_index).
Status day_label(int freq, int date, int* out, Status (*of)(const Frequency&, int32_t, int&)) {
    CRQX_RETURN_IF_ERROR(not_null(out, "the day label"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return of(f, date, *out);
}

Status leap_year(int year, int* leap) {
    CRQX_RETURN_IF_ERROR(not_null(leap, "leap"));
    if (year < kFirstYear || year > kLastYear) return bad_year(year);
    *leap = is_leap_year(year) ? HYES : HNO;
    return Status::OK();
}

Status change(int sfreq, int sdate, int select, int tfreq, int* tdate, int relate) {
    CRQX_RETURN_IF_ERROR(not_null(tdate, "the target date"));
    Frequency from, to;
    CRQX_RETURN_IF_ERROR(frequency_of(sfreq, from));
    CRQX_RETURN_IF_ERROR(frequency_of(tfreq, to));
    return change_frequency(from, sdate, select, to, relate, *tdate);
}

// Indexes and plain ints are the same 32-bit values in this engine, so both
// conversions are a copy.
Status copy_indexes(const int* from, int* to, int numobs) {
    if (numobs < 0)
        return Status::Error(HBNRNG, "numobs " + std::to_string(numobs) + " is negative");
    if (numobs > 0)
        CRQX_RETURN_IF_ERROR(not_null(from, "the source array", to, "the target array"));
    for (int i = 0; i < numobs; ++i) to[i] = from[i];
    return Status::OK();
}

Status date_missing_type(int date, int* missing_type) {
    CRQX_RETURN_IF_ERROR(not_null(missing_type, "missing_type"));
    *missing_type = missing_type_of(date);
    return Status::OK();
}

// ---- frequencies ----

Status compose(int* freq, int base, int nunits, int year, int month) {
    CRQX_RETURN_IF_ERROR(not_null(freq, "freq"));
    return compose_frequency({base, nunits, year, month}, *freq);
}

Status decompose(int freq, int* base, int* nunits, int* year, int* month) {
    CRQX_RETURN_IF_ERROR(not_null(base, "base", nunits, "nunits", year, "year", month, "month"));
    FrequencyParts parts;
    CRQX_RETURN_IF_ERROR(decompose_frequency(freq, parts));
    *base = parts.base, *nunits = parts.nunits, *year = parts.year, *month = parts.month;
    return Status::OK();
}

Status divides(int freq1, int freq2, int* flag) {
    CRQX_RETURN_IF_ERROR(not_null(flag, "flag"));
    Frequency f1, f2;
    CRQX_RETURN_IF_ERROR(frequency_of(freq1, f1));
    CRQX_RETURN_IF_ERROR(frequency_of(freq2, f2));
    *flag = frequency_divides(f1, f2) ? HYES : HNO;
    return Status::OK();
}

Status per_day(int freq, int* count) {
    CRQX_RETURN_IF_ERROR(not_null(count, "count"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return periods_per_day(f, *count);
}

// The periods of a year, or of one of its months.
Status period_count(int freq, int year, std::optional<int> month, int* count) {
    CRQX_RETURN_IF_ERROR(not_null(count, "count"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return month ? periods_in_month(f, year, *month, *count) : periods_in_year(f, year, *count);
}

Status parse(int* freq, const char* text) {
    CRQX_RETURN_IF_ERROR(not_null(freq, "freq", text, "frequency_spec"));
    return parse_frequency(text, *freq);
}

Status base_of(int* base, int freq) {
    CRQX_RETURN_IF_ERROR(not_null(base, "base_freq"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    *base = base_frequency(freq);
    return Status::OK();
}

// ---- literals and pictures ----

// How a date is written or read: as its literal, or through a picture.
struct Layout {
    const char* image = nullptr;  // the picture
    bool picture = false;
};
Layout literal() { return {}; }
Layout picture(const char* image) { return {image, true}; }

Status format_date(int freq, int date, const Layout& layout, const Fiscal& fy, std::string& text) {
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    return layout.picture ? format_picture(f, date, layout.image, fy, text)
                          : format_literal(f, date, fy, text);
}

// Into a buffer without a length: at most the length of the text it holds.
Status format_unsized(int freq, int date, char* buffer, const Layout& layout, const Fiscal& fy) {
    CRQX_RETURN_IF_ERROR(not_null(buffer, "the date text"));
    if (layout.picture) CRQX_RETURN_IF_ERROR(not_null(layout.image, "image"));
    std::string text;
    CRQX_RETURN_IF_ERROR(format_date(freq, date, layout, fy, text));
    return api::text_out(buffer, api::capacity_of(buffer), text, "the date text");
}

// Into a buffer of `inlen` bytes plus the terminator; the full length to *outlen.
Status format_sized(int freq, int date, char* buffer, const Layout& layout, const Fiscal& fy,
                    int inlen, int* outlen) {
    CRQX_RETURN_IF_ERROR(not_null(buffer, "the date text", outlen, "outlen"));
    if (layout.picture) CRQX_RETURN_IF_ERROR(not_null(layout.image, "image"));
    std::string text;
    CRQX_RETURN_IF_ERROR(format_date(freq, date, layout, fy, text));
    size_t capacity = 0;
    CRQX_RETURN_IF_ERROR(api::capacity_from_length(inlen, &capacity));
    *outlen = static_cast<int>(text.size());
    return api::text_out(buffer, capacity, text, "the date text");
}

Status scan_date(int freq, int* date, const char* text, const Layout& layout, const Fiscal& fy,
                 int century) {
    CRQX_RETURN_IF_ERROR(not_null(date, "date", text, "the date text"));
    if (layout.picture) CRQX_RETURN_IF_ERROR(not_null(layout.image, "image"));
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(freq, f));
    if (!layout.picture) return parse_literal(f, text, fy, century, current_year(), *date);
    return scan_picture(f, text, layout.image, fy, century, current_year(), *date);
}

}  // namespace

extern "C" {

// ---- Ranges ---------------------------------------------------------------

void qzvsrng(int* status, int freq, int* syear, int* sprd, int* eyear, int* eprd, int* range,
             int* numobs) {
    set_status(status, run("qzvsrng", [&] {
                   return range_from_periods(freq, syear, sprd, eyear, eprd, range, numobs,
                                             kCalendarYear);
               }));
}

void qzvsfis(int* status, int freq, int* syear, int* sprd, int* eyear, int* eprd, int* range,
             int* numobs, int fmonth, int flabel) {
    set_status(status, run("qzvsfis", [&] {
                   return range_from_periods(freq, syear, sprd, eyear, eprd, range, numobs,
                                             fiscal(fmonth, flabel));
               }));
}

int zavo_init_range_from_indexes(int* range, int freq, int start, int end) {
    return run("zavo_init_range_from_indexes",
               [&] { return range_from_indexes(range, freq, start, end); });
}

int zavo_init_range_from_start_numobs(int* range, int freq, int start, int numobs) {
    return run("zavo_init_range_from_start_numobs",
               [&] { return range_from_count(range, freq, start, Anchor::Start, numobs); });
}

int zavo_init_range_from_end_numobs(int* range, int freq, int end, int numobs) {
    return run("zavo_init_range_from_end_numobs",
               [&] { return range_from_count(range, freq, end, Anchor::End, numobs); });
}

int zavo_get_range_numobs(int* range, int* numobs) {
    return run("zavo_get_range_numobs", [&] { return range_numobs(range, numobs); });
}

// ---- Dates, days and times ------------------------------------------------

void qzvdatp(int* status, int freq, int date, int* year, int* period) {
    set_status(status, run("qzvdatp", [&] {
                   return date_to_year_period(freq, date, year, period, kCalendarYear);
               }));
}

int zavo_index_to_year_period(int freq, int date, int* year, int* period) {
    return run("zavo_index_to_year_period",
               [&] { return date_to_year_period(freq, date, year, period, kCalendarYear); });
}

void qzvdatf(int* status, int freq, int date, int* year, int* period, int fmonth, int flabel) {
    set_status(status, run("qzvdatf", [&] {
                   return date_to_year_period(freq, date, year, period, fiscal(fmonth, flabel));
               }));
}

void qzvpdat(int* status, int freq, int* date, int year, int period) {
    set_status(status, run("qzvpdat", [&] {
                   return year_period_to_date(freq, date, year, period, kCalendarYear);
               }));
}

int zavo_year_period_to_index(int freq, int* date, int year, int period) {
    return run("zavo_year_period_to_index",
               [&] { return year_period_to_date(freq, date, year, period, kCalendarYear); });
}

void qzvfdat(int* status, int freq, int* date, int year, int period, int fmonth, int flabel) {
    set_status(status, run("qzvfdat", [&] {
                   return year_period_to_date(freq, date, year, period, fiscal(fmonth, flabel));
               }));
}

void qzvdatd(int* status, int freq, int date, int* year, int* month, int* day) {
    set_status(status, run("qzvdatd", [&] { return date_to_day(freq, date, year, month, day); }));
}

int zavo_index_to_day(int freq, int date, int* year, int* month, int* day) {
    return run("zavo_index_to_day", [&] { return date_to_day(freq, date, year, month, day); });
}

void qzvddat(int* status, int freq, int* date, int year, int month, int day) {
    set_status(status,
               run("qzvddat", [&] { return day_to_date(freq, date, year, month, day, HCONT); }));
}

int zavo_day_to_index(int freq, int* date, int year, int month, int day, int relate) {
    return run("zavo_day_to_index",
               [&] { return day_to_date(freq, date, year, month, day, relate); });
}

void qzvdatt(int* status, int freq, int date, int* hour, int* minute, int* second, int* ddate) {
    set_status(status, run("qzvdatt",
                           [&] { return date_to_clock(freq, date, hour, minute, second, ddate); }));
}

void qzvtdat(int* status, int freq, int* date, int hour, int minute, int second, int ddate) {
    set_status(status, run("qzvtdat",
                           [&] { return clock_to_date(freq, date, hour, minute, second, ddate); }));
}

int zavo_index_to_time(int freq, int date, int* year, int* month, int* day, int* hour, int* minute,
                       int* second, int* millisecond) {
    return run("zavo_index_to_time", [&] {
        return date_to_time(freq, date, year, month, day, hour, minute, second, millisecond);
    });
}

int zavo_time_to_index(int freq, int* date, int year, int month, int day, int hour, int minute,
                       int second, int millisecond, int relate) {
    return run("zavo_time_to_index", [&] {
        return time_to_date(freq, date, {year, month, day}, {hour, minute, second, millisecond},
                            relate);
    });
}

void qzvtody(int* status, int freq, int* date) {
    set_status(status, run("qzvtody", [&] { return current_date(freq, date, today_index); }));
}

int zavo_current_time(int freq, int* date) {
    return run("zavo_current_time", [&] { return current_date(freq, date, now_index); });
}

void qzvwkdy(int* status, int freq, int date, int* wkdy) {
    set_status(status,
               run("qzvwkdy", [&] { return day_label(freq, date, wkdy, weekday_of_index); }));
}

int zavo_weekday(int freq, int date, int* weekday) {
    return run("zavo_weekday", [&] { return day_label(freq, date, weekday, weekday_of_index); });
}

void qzvbwdy(int* status, int freq, int date, int* biwkdy) {
    set_status(status,
               run("qzvbwdy", [&] { return day_label(freq, date, biwkdy, biweekday_of_index); }));
}

int zavo_biweekday(int freq, int date, int* biweekday) {
    return run("zavo_biweekday",
               [&] { return day_label(freq, date, biweekday, biweekday_of_index); });
}

void qzvislp(int* status, int year, int* leap) {
    set_status(status, run("qzvislp", [&] { return leap_year(year, leap); }));
}

void qzvchfr(int* status, int sfreq, int sdate, int select, int tfreq, int* tdate, int relate) {
    set_status(status,
               run("qzvchfr", [&] { return change(sfreq, sdate, select, tfreq, tdate, relate); }));
}

int zavo_dateof(int from_freq, int from_date, int select, int to_freq, int* to_date, int relate) {
    return run("zavo_dateof",
               [&] { return change(from_freq, from_date, select, to_freq, to_date, relate); });
}

int zavo_int_to_index(int* indexes32, int* indexes64, int numobs) {
    return run("zavo_int_to_index", [&] { return copy_indexes(indexes32, indexes64, numobs); });
}

int zavo_index_to_int(int* indexes64ary, int* indexes32ary, int numobs) {
    return run("zavo_index_to_int",
               [&] { return copy_indexes(indexes64ary, indexes32ary, numobs); });
}

int zavo_date_missing_type(int date, int* missing_type) {
    return run("zavo_date_missing_type", [&] { return date_missing_type(date, missing_type); });
}

// ---- Frequencies -----------------------------------------------------------

void qzvpfrq(int* status, int* freq, int base, int nunits, int year, int month) {
    set_status(status, run("qzvpfrq", [&] { return compose(freq, base, nunits, year, month); }));
}

void qzvufrq(int* status, int freq, int* base, int* nunits, int* year, int* month) {
    set_status(status, run("qzvufrq", [&] { return decompose(freq, base, nunits, year, month); }));
}

void qzvfdiv(int* status, int freq1, int freq2, int* flag) {
    set_status(status, run("qzvfdiv", [&] { return divides(freq1, freq2, flag); }));
}

void qzvpind(int* status, int freq, int* count) {
    set_status(status, run("qzvpind", [&] { return per_day(freq, count); }));
}

void qzvpinm(int* status, int freq, int year, int month, int* count) {
    set_status(status, run("qzvpinm", [&] { return period_count(freq, year, month, count); }));
}

void qzvpiny(int* status, int freq, int year, int* count) {
    set_status(status,
               run("qzvpiny", [&] { return period_count(freq, year, std::nullopt, count); }));
}

int zavo_parse_frequency(int* freq, char* frequency_spec) {
    return run("zavo_parse_frequency", [&] { return parse(freq, frequency_spec); });
}

int zavo_get_base_frequency(int* base_freq, int freq) {
    return run("zavo_get_base_frequency", [&] { return base_of(base_freq, freq); });
}

// ---- Literals and pictures -------------------------------------------------

void qzvdatl(int* status, int freq, int date, char* datstr, int fmonth, int flabel) {
    set_status(status, run("qzvdatl", [&] {
                   return format_unsized(freq, date, datstr, literal(), fiscal(fmonth, flabel));
               }));
}

int zavo_date_to_literal(int freq, int date, char* literal_, int end_month, int label_year,
                         int inlen, int* outlen) {
    return run("zavo_date_to_literal", [&] {
        return format_sized(freq, date, literal_, literal(), fiscal(end_month, label_year), inlen,
                            outlen);
    });
}

void qzvdati(int* status, int freq, int date, char* datstr, char* image, int fmonth, int flabel) {
    set_status(status, run("qzvdati", [&] {
                   return format_unsized(freq, date, datstr, picture(image),
                                         fiscal(fmonth, flabel));
               }));
}

int zavo_format_date(int freq, int date, char* string, char* image, int end_month, int label_year,
                     int inlen, int* outlen) {
    return run("zavo_format_date", [&] {
        return format_sized(freq, date, string, picture(image), fiscal(end_month, label_year),
                            inlen, outlen);
    });
}

void qzvldat(int* status, int freq, int* date, char* datstr, int fmonth, int flabel, int centry) {
    set_status(status, run("qzvldat", [&] {
                   return scan_date(freq, date, datstr, literal(), fiscal(fmonth, flabel), centry);
               }));
}

int zavo_literal_to_date(int freq, int* date, char* literal_, int end_month, int label_year,
                         int century) {
    return run("zavo_literal_to_date", [&] {
        return scan_date(freq, date, literal_, literal(), fiscal(end_month, label_year), century);
    });
}

void qzvidat(int* status, int freq, int* date, char* datstr, char* image, int fmonth, int flabel,
             int centry) {
    set_status(status, run("qzvidat", [&] {
                   return scan_date(freq, date, datstr, picture(image), fiscal(fmonth, flabel),
                                    centry);
               }));
}

int zavo_scan_date(int freq, int* date, char* string, char* image, int end_month, int label_year,
                   int century) {
    return run("zavo_scan_date", [&] {
        return scan_date(freq, date, string, picture(image), fiscal(end_month, label_year),
                         century);
    });
}

}  // extern "C"
