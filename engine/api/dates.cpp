// C entry points of the calendar: ranges, date conversions, frequencies,
// literals and pictures. Each validates its pointers, asks the calendar
// room, and stores results only on success.
#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "api/api.h"
#include "calendar/convert.h"
#include "calendar/date_index.h"
#include "calendar/frequency.h"
#include "calendar/literal.h"
#include "calendar/picture.h"
#include "crqx.h"

using namespace crqx;
using namespace crqx::calendar;

namespace {

const char* status_text(int status) {
  switch (status) {
    case HBFREQ: return "not a valid frequency";
    case HBDATE: return "not a date of this frequency (missing, or outside its span)";
    case HBYEAR: return "year outside 1..9999";
    case HBPER: return "period outside its year, or beyond 32 bits";
    case HBMONT: return "month (or fiscal year end month) outside 1..12";
    case HBDAY: return "day outside its month";
    case HBTIME: return "time of day out of range";
    case HBSEL: return "select is not HBEGIN, HEND or HINTVL";
    case HBREL: return "relate is not HBEFOR, HAFTER or HCONT";
    case HBFLAB: return "fiscal label is not HFYFST, HFYLST or HFYAUT";
    case HBUNIT: return "unit count not allowed for this base frequency";
    case HBSRNG: return "bad start of range";
    case HBERNG: return "bad end of range";
    case HBRNG: return "range ends before it starts";
    case HBNRNG: return "bad number of observations";
    case HBLEN: return "negative buffer length";
    case HBADVAL: return "malformed picture string";
    case HNULLP: return "null pointer argument";
    case HTRUNC: return "text cut to fit the buffer";
    default: return "failed";
  }
}

// Runs a calendar call inside a session, keeping exceptions on this side and
// recording the last-error text of every failure.
template <typename Body>
int run(const char* function, Body body) {
  return api::guarded(function, [&]() -> int {
    if (const int s = api::require_session(function); s != HSUCC) return s;
    const int s = body();
    return s == HSUCC ? s : api::fail(function, s, status_text(s));
  });
}

template <typename... Pointers>
bool any_null(Pointers... pointers) {
  return ((pointers == nullptr) || ...);
}

// Calls `body` with the frequency `code` describes, or reports HBFREQ.
template <typename Body>
int with_frequency(int code, Body body) {
  const auto f = describe_frequency(code);
  return f ? body(*f) : HBFREQ;
}

Fiscal fiscal(int end_month, int label) { return Fiscal{end_month, label}; }

// Local wall-clock time, in ms since 1970-01-01T00:00 of the local calendar.
int64_t local_now_ms() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return days_from_civil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * kMsPerDay +
         (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * int64_t{1000} + ms;
}

int current_year() { return civil_from_days(floor_div(local_now_ms(), kMsPerDay)).year; }

// Output text into a buffer sized by a length argument: at most `inlen`
// bytes plus the terminator; the full length goes to *outlen.
int write_with_length(const std::string& text, char* buffer, int inlen, int* outlen) {
  if (inlen < 0) return HBLEN;
  const int status = api::write_text(buffer, static_cast<size_t>(inlen) + 1, text);
  *outlen = static_cast<int>(text.size());
  return status;
}

// ---- ranges ----

int fill_range(const Frequency& f, int64_t first, int64_t last, int* range, int* numobs) {
  if (!in_span(f, first)) return HBSRNG;
  if (!in_span(f, last)) return HBERNG;
  if (last < first) return HBRNG;
  if (last - first + 1 > INT32_MAX) return HBNRNG;
  range[CRQX_RANGE_FREQ] = f.code;
  range[CRQX_RANGE_FIRST] = static_cast<int>(first);
  range[CRQX_RANGE_LAST] = static_cast<int>(last);
  if (numobs) *numobs = static_cast<int>(last - first + 1);
  return HSUCC;
}

// Year/period to index for a range end; a case frequency takes the period as its case number.
int range_end_index(const Frequency& f, int year, int period, const Fiscal& fy, int bad_end, int32_t& index) {
  if (!is_dated(f)) return check_index(f, period) == HSUCC ? (index = period, HSUCC) : bad_end;
  return year_period_to_index(f, year, period, fy, index) == HSUCC ? HSUCC : bad_end;
}

int set_range_from_periods(int freq, const int* syear, const int* sprd, const int* eyear, const int* eprd,
                           int* range, int* numobs, const Fiscal& fy) {
  if (any_null(syear, sprd, eyear, eprd, range, numobs)) return HNULLP;
  if (const Code s = check_fiscal(fy.end_month, fy.label); s != HSUCC) return s;
  return with_frequency(freq, [&](const Frequency& f) -> int {
    int32_t first = 0, last = 0;
    if (const int s = range_end_index(f, *syear, *sprd, fy, HBSRNG, first); s != HSUCC) return s;
    if (const int s = range_end_index(f, *eyear, *eprd, fy, HBERNG, last); s != HSUCC) return s;
    return fill_range(f, first, last, range, numobs);
  });
}

// Formats `date` (literal or picture) into a buffer without a length.
template <typename Format>
int write_unsized(char* buffer, Format format) {
  std::string text;
  if (const int s = format(text); s != HSUCC) return s;
  return api::write_text(buffer, api::capacity_of(buffer), text);
}

}  // namespace

namespace {
int date_to_year_period(int freq, int date, int* year, int* period, const Fiscal& fy) {
  if (any_null(year, period)) return HNULLP;
  return with_frequency(freq, [&](const Frequency& f) -> int {
    int y = 0, p = 0;
    const Code s = index_to_year_period(f, date, fy, y, p);
    if (s == HSUCC) *year = y, *period = p;
    return s;
  });
}

int year_period_to_date(int freq, int* date, int year, int period, const Fiscal& fy) {
  if (any_null(date)) return HNULLP;
  return with_frequency(freq, [&](const Frequency& f) -> int {
    int32_t idx = 0;
    const Code s = year_period_to_index(f, year, period, fy, idx);
    if (s == HSUCC) *date = idx;
    return s;
  });
}
}  // namespace

namespace {
int change(int sfreq, int sdate, int select, int tfreq, int* tdate, int relate) {
  if (any_null(tdate)) return HNULLP;
  const auto from = describe_frequency(sfreq);
  const auto to = describe_frequency(tfreq);
  if (!from || !to) return HBFREQ;
  int32_t idx = 0;
  const Code s = change_frequency(*from, sdate, select, *to, relate, idx);
  if (s == HSUCC) *tdate = idx;
  return s;
}

template <typename Of>
int day_label(int freq, int date, int* out, Of of) {
  if (any_null(out)) return HNULLP;
  return with_frequency(freq, [&](const Frequency& f) -> int {
    int value = 0;
    const Code s = of(f, date, value);
    if (s == HSUCC) *out = value;
    return s;
  });
}
}  // namespace

extern "C" {

// ---- Ranges ---------------------------------------------------------------

void qzvsrng(int* status, int freq, int* syear, int* sprd, int* eyear, int* eprd, int* range, int* numobs) {
  api::set_status(status, run("qzvsrng", [&]() -> int {
    return set_range_from_periods(freq, syear, sprd, eyear, eprd, range, numobs, kCalendarYear);
  }));
}

void qzvsfis(int* status, int freq, int* syear, int* sprd, int* eyear, int* eprd, int* range, int* numobs,
             int fmonth, int flabel) {
  api::set_status(status, run("qzvsfis", [&]() -> int {
    return set_range_from_periods(freq, syear, sprd, eyear, eprd, range, numobs, fiscal(fmonth, flabel));
  }));
}

int zavo_init_range_from_indexes(int* range, int freq, int start, int end) {
  return run("zavo_init_range_from_indexes", [&]() -> int {
    if (any_null(range)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int { return fill_range(f, start, end, range, nullptr); });
  });
}

int zavo_init_range_from_start_numobs(int* range, int freq, int start, int numobs) {
  return run("zavo_init_range_from_start_numobs", [&]() -> int {
    if (any_null(range)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      if (!in_span(f, start)) return HBSRNG;
      if (numobs < 1 || !in_span(f, int64_t{start} + numobs - 1)) return HBNRNG;
      return fill_range(f, start, int64_t{start} + numobs - 1, range, nullptr);
    });
  });
}

int zavo_init_range_from_end_numobs(int* range, int freq, int end, int numobs) {
  return run("zavo_init_range_from_end_numobs", [&]() -> int {
    if (any_null(range)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      if (!in_span(f, end)) return HBERNG;
      if (numobs < 1 || !in_span(f, int64_t{end} - numobs + 1)) return HBNRNG;
      return fill_range(f, int64_t{end} - numobs + 1, end, range, nullptr);
    });
  });
}

int zavo_get_range_numobs(int* range, int* numobs) {
  return run("zavo_get_range_numobs", [&]() -> int {
    if (any_null(range, numobs)) return HNULLP;
    return with_frequency(range[CRQX_RANGE_FREQ], [&](const Frequency& f) -> int {
      int scratch[CRQX_RANGE_SIZE];
      return fill_range(f, range[CRQX_RANGE_FIRST], range[CRQX_RANGE_LAST], scratch, numobs);
    });
  });
}

// ---- Classic date conversions --------------------------------------------

void qzvdatd(int* status, int freq, int date, int* year, int* month, int* day) {
  api::set_status(status, run("qzvdatd", [&]() -> int {
    if (any_null(year, month, day)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      CivilDay d;
      const Code s = index_to_day(f, date, d);
      if (s == HSUCC) *year = d.year, *month = d.month, *day = d.day;
      return s;
    });
  }));
}

void qzvddat(int* status, int freq, int* date, int year, int month, int day) {
  api::set_status(status, run("qzvddat", [&]() -> int {
    if (any_null(date)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = day_to_index(f, {year, month, day}, HCONT, idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  }));
}


void qzvdatp(int* status, int freq, int date, int* year, int* period) {
  api::set_status(status, run("qzvdatp", [&]() -> int { return date_to_year_period(freq, date, year, period, kCalendarYear); }));
}

void qzvpdat(int* status, int freq, int* date, int year, int period) {
  api::set_status(status, run("qzvpdat", [&]() -> int { return year_period_to_date(freq, date, year, period, kCalendarYear); }));
}

void qzvdatf(int* status, int freq, int date, int* year, int* period, int fmonth, int flabel) {
  api::set_status(status, run("qzvdatf", [&]() -> int {
    return date_to_year_period(freq, date, year, period, fiscal(fmonth, flabel));
  }));
}

void qzvfdat(int* status, int freq, int* date, int year, int period, int fmonth, int flabel) {
  api::set_status(status, run("qzvfdat", [&]() -> int {
    return year_period_to_date(freq, date, year, period, fiscal(fmonth, flabel));
  }));
}

void qzvdatt(int* status, int freq, int date, int* hour, int* minute, int* second, int* ddate) {
  api::set_status(status, run("qzvdatt", [&]() -> int {
    if (any_null(hour, minute, second, ddate)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      CivilDay d;
      TimeOfDay t;
      int32_t daily = 0;
      Code s = index_to_time(f, date, d, t);
      if (s == HSUCC) s = day_to_index(*describe_frequency(HDAILY), d, HCONT, daily);
      if (s == HSUCC) *hour = t.hour, *minute = t.minute, *second = t.second, *ddate = daily;
      return s;
    });
  }));
}

void qzvtdat(int* status, int freq, int* date, int hour, int minute, int second, int ddate) {
  api::set_status(status, run("qzvtdat", [&]() -> int {
    if (any_null(date)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      CivilDay d;
      Code s = index_to_day(*describe_frequency(HDAILY), ddate, d);
      int32_t idx = 0;
      if (s == HSUCC) s = time_to_index(f, d, {hour, minute, second, 0}, HCONT, idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  }));
}

void qzvdatl(int* status, int freq, int date, char* datstr, int fmonth, int flabel) {
  api::set_status(status, run("qzvdatl", [&]() -> int {
    if (any_null(datstr)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      return write_unsized(datstr, [&](std::string& text) -> int { return format_literal(f, date, fiscal(fmonth, flabel), text); });
    });
  }));
}

void qzvldat(int* status, int freq, int* date, char* datstr, int fmonth, int flabel, int centry) {
  api::set_status(status, run("qzvldat", [&]() -> int {
    if (any_null(date, datstr)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = parse_literal(f, datstr, fiscal(fmonth, flabel), centry, current_year(), idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  }));
}

void qzvdati(int* status, int freq, int date, char* datstr, char* image, int fmonth, int flabel) {
  api::set_status(status, run("qzvdati", [&]() -> int {
    if (any_null(datstr, image)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      return write_unsized(datstr, [&](std::string& text) -> int {
        return format_picture(f, date, image, fiscal(fmonth, flabel), text);
      });
    });
  }));
}

void qzvidat(int* status, int freq, int* date, char* datstr, char* image, int fmonth, int flabel, int centry) {
  api::set_status(status, run("qzvidat", [&]() -> int {
    if (any_null(date, datstr, image)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = scan_picture(f, datstr, image, fiscal(fmonth, flabel), centry, current_year(), idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  }));
}

void qzvtody(int* status, int freq, int* date) {
  api::set_status(status, run("qzvtody", [&]() -> int {
    if (any_null(date)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const int64_t today = floor_div(local_now_ms(), kMsPerDay);
      const Code s = is_dated(f) ? to_date_index(f, locate_day(f, today, Relate::Before), idx) : HBFREQ;
      if (s == HSUCC) *date = idx;
      return s;
    });
  }));
}

void qzvislp(int* status, int year, int* leap) {
  api::set_status(status, run("qzvislp", [&]() -> int {
    if (any_null(leap)) return HNULLP;
    if (year < kFirstYear || year > kLastYear) return HBYEAR;
    *leap = is_leap_year(year) ? HYES : HNO;
    return HSUCC;
  }));
}

// ---- Frequencies and calendars --------------------------------------------

void qzvpfrq(int* status, int* freq, int base, int nunits, int year, int month) {
  api::set_status(status, run("qzvpfrq", [&]() -> int {
    if (any_null(freq)) return HNULLP;
    int code = 0;
    const Code s = compose_frequency({base, nunits, year, month}, code);
    if (s == HSUCC) *freq = code;
    return s;
  }));
}

void qzvufrq(int* status, int freq, int* base, int* nunits, int* year, int* month) {
  api::set_status(status, run("qzvufrq", [&]() -> int {
    if (any_null(base, nunits, year, month)) return HNULLP;
    FrequencyParts parts;
    const Code s = decompose_frequency(freq, parts);
    if (s == HSUCC) *base = parts.base, *nunits = parts.nunits, *year = parts.year, *month = parts.month;
    return s;
  }));
}

void qzvfdiv(int* status, int freq1, int freq2, int* flag) {
  api::set_status(status, run("qzvfdiv", [&]() -> int {
    if (any_null(flag)) return HNULLP;
    const auto f1 = describe_frequency(freq1);
    const auto f2 = describe_frequency(freq2);
    if (!f1 || !f2) return HBFREQ;
    *flag = frequency_divides(*f1, *f2) ? HYES : HNO;
    return HSUCC;
  }));
}


void qzvchfr(int* status, int sfreq, int sdate, int select, int tfreq, int* tdate, int relate) {
  api::set_status(status, run("qzvchfr", [&]() -> int { return change(sfreq, sdate, select, tfreq, tdate, relate); }));
}

void qzvwkdy(int* status, int freq, int date, int* wkdy) {
  api::set_status(status, run("qzvwkdy", [&]() -> int { return day_label(freq, date, wkdy, weekday_of_index); }));
}

void qzvbwdy(int* status, int freq, int date, int* biwkdy) {
  api::set_status(status, run("qzvbwdy", [&]() -> int { return day_label(freq, date, biwkdy, biweekday_of_index); }));
}

void qzvpind(int* status, int freq, int* count) {
  api::set_status(status, run("qzvpind", [&]() -> int {
    if (any_null(count)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int { return periods_per_day(f, *count); });
  }));
}

void qzvpinm(int* status, int freq, int year, int month, int* count) {
  api::set_status(status, run("qzvpinm", [&]() -> int {
    if (any_null(count)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int { return periods_in_month(f, year, month, *count); });
  }));
}

void qzvpiny(int* status, int freq, int year, int* count) {
  api::set_status(status, run("qzvpiny", [&]() -> int {
    if (any_null(count)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int { return periods_in_year(f, year, *count); });
  }));
}

// ---- Extended index and time conversions ----------------------------------

int zavo_year_period_to_index(int freq, int* date, int year, int period) {
  return run("zavo_year_period_to_index", [&]() -> int { return year_period_to_date(freq, date, year, period, kCalendarYear); });
}

int zavo_index_to_year_period(int freq, int date, int* year, int* period) {
  return run("zavo_index_to_year_period", [&]() -> int { return date_to_year_period(freq, date, year, period, kCalendarYear); });
}

int zavo_index_to_day(int freq, int date, int* year, int* month, int* day) {
  return run("zavo_index_to_day", [&]() -> int {
    if (any_null(year, month, day)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      CivilDay d;
      const Code s = index_to_day(f, date, d);
      if (s == HSUCC) *year = d.year, *month = d.month, *day = d.day;
      return s;
    });
  });
}

int zavo_day_to_index(int freq, int* date, int year, int month, int day, int relate) {
  return run("zavo_day_to_index", [&]() -> int {
    if (any_null(date)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = day_to_index(f, {year, month, day}, relate, idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  });
}

int zavo_index_to_time(int freq, int date, int* year, int* month, int* day, int* hour, int* minute, int* second,
                       int* millisecond) {
  return run("zavo_index_to_time", [&]() -> int {
    if (any_null(year, month, day, hour, minute, second, millisecond)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      CivilDay d;
      TimeOfDay t;
      const Code s = index_to_time(f, date, d, t);
      if (s == HSUCC) {
        *year = d.year, *month = d.month, *day = d.day;
        *hour = t.hour, *minute = t.minute, *second = t.second, *millisecond = t.millisecond;
      }
      return s;
    });
  });
}

int zavo_time_to_index(int freq, int* date, int year, int month, int day, int hour, int minute, int second,
                       int millisecond, int relate) {
  return run("zavo_time_to_index", [&]() -> int {
    if (any_null(date)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = time_to_index(f, {year, month, day}, {hour, minute, second, millisecond}, relate, idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  });
}

// Indexes and plain ints are the same 32-bit values in this engine, so both
// conversions are a copy.
static int copy_indexes(const char* function, const int* from, int* to, int numobs) {
  return run(function, [&]() -> int {
    if (numobs < 0) return HBNRNG;
    if (numobs > 0 && any_null(from, to)) return HNULLP;
    for (int i = 0; i < numobs; ++i) to[i] = from[i];
    return HSUCC;
  });
}

int zavo_int_to_index(int* indexes32, int* indexes64, int numobs) {
  return copy_indexes("zavo_int_to_index", indexes32, indexes64, numobs);
}

int zavo_index_to_int(int* indexes64ary, int* indexes32ary, int numobs) {
  return copy_indexes("zavo_index_to_int", indexes64ary, indexes32ary, numobs);
}

int zavo_current_time(int freq, int* date) {
  return run("zavo_current_time", [&]() -> int {
    if (any_null(date)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = instant_to_index(f, local_now_ms(), Relate::Before, idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  });
}

int zavo_date_missing_type(int date, int* missing_type) {
  return run("zavo_date_missing_type", [&]() -> int {
    if (any_null(missing_type)) return HNULLP;
    *missing_type = missing_type_of(date);
    return HSUCC;
  });
}

int zavo_weekday(int freq, int date, int* weekday) {
  return run("zavo_weekday", [&]() -> int { return day_label(freq, date, weekday, weekday_of_index); });
}

int zavo_biweekday(int freq, int date, int* biweekday) {
  return run("zavo_biweekday", [&]() -> int { return day_label(freq, date, biweekday, biweekday_of_index); });
}

int zavo_dateof(int from_freq, int from_date, int select, int to_freq, int* to_date, int relate) {
  return run("zavo_dateof", [&]() -> int { return change(from_freq, from_date, select, to_freq, to_date, relate); });
}

int zavo_parse_frequency(int* freq, char* frequency_spec) {
  return run("zavo_parse_frequency", [&]() -> int {
    if (any_null(freq, frequency_spec)) return HNULLP;
    int code = 0;
    const Code s = parse_frequency(frequency_spec, code);
    if (s == HSUCC) *freq = code;
    return s;
  });
}

int zavo_get_base_frequency(int* base_freq, int freq) {
  return run("zavo_get_base_frequency", [&]() -> int {
    if (any_null(base_freq)) return HNULLP;
    if (!describe_frequency(freq)) return HBFREQ;
    *base_freq = base_frequency(freq);
    return HSUCC;
  });
}

// ---- Literals and pictures -------------------------------------------------

int zavo_literal_to_date(int freq, int* date, char* literal, int end_month, int label_year, int century) {
  return run("zavo_literal_to_date", [&]() -> int {
    if (any_null(date, literal)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = parse_literal(f, literal, fiscal(end_month, label_year), century, current_year(), idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  });
}

int zavo_scan_date(int freq, int* date, char* string, char* image, int end_month, int label_year, int century) {
  return run("zavo_scan_date", [&]() -> int {
    if (any_null(date, string, image)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      int32_t idx = 0;
      const Code s = scan_picture(f, string, image, fiscal(end_month, label_year), century, current_year(), idx);
      if (s == HSUCC) *date = idx;
      return s;
    });
  });
}

int zavo_date_to_literal(int freq, int date, char* literal, int end_month, int label_year, int inlen, int* outlen) {
  return run("zavo_date_to_literal", [&]() -> int {
    if (any_null(literal, outlen)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      std::string text;
      const Code s = format_literal(f, date, fiscal(end_month, label_year), text);
      return s == HSUCC ? write_with_length(text, literal, inlen, outlen) : s;
    });
  });
}

int zavo_format_date(int freq, int date, char* string, char* image, int end_month, int label_year, int inlen,
                     int* outlen) {
  return run("zavo_format_date", [&]() -> int {
    if (any_null(string, image, outlen)) return HNULLP;
    return with_frequency(freq, [&](const Frequency& f) -> int {
      std::string text;
      const Code s = format_picture(f, date, image, fiscal(end_month, label_year), text);
      return s == HSUCC ? write_with_length(text, string, inlen, outlen) : s;
    });
  });
}

}  // extern "C"
