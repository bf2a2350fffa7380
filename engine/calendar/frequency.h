// Frequencies: what each frequency code means as a calendar, how compound
// codes are built and taken apart, their names, and which frequency nests
// in which.
#ifndef CRQX_ENGINE_CALENDAR_FREQUENCY_H
#define CRQX_ENGINE_CALENDAR_FREQUENCY_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/codes.h"
#include "core/status.h"

namespace crqx::calendar {

// How a frequency cuts time into periods.
enum class Kind {
    DayPattern,  // one period per day on a fixed set of weekdays (daily, business, week pattern)
    DaySpan,     // fixed runs of days ending on a weekday or cycle day (weekly, biweekly)
    MonthSpan,   // fixed runs of whole months (monthly ... annual, years per period)
    MonthSplit,  // each month cut into parts (twice-monthly, ten-day)
    Intraday,    // fixed slices of a day, counted from the intraday epoch
    Case,        // undated: an index is just a case number
};

struct Frequency {
    int code = HUNDFX;
    Kind kind = Kind::Case;
    int weekday_mask = 0;    // DayPattern: bit (w - 1) set for each weekday code w
    int length = 0;          // DaySpan: days; MonthSpan: months; MonthSplit: parts per month
    int64_t end_anchor = 0;  // DaySpan: first period-ending day >= day 0;
                             // MonthSpan: first period-ending month number >= January 1970
    int64_t unit_ms = 0;     // Intraday: length of a period
};

// Compound codes put the base frequency in the low byte and a payload above
// it, so they are all >= 256 and never collide with a frequency constant.
constexpr int kCompoundShift = 8;
constexpr int kMaxIntradayMultiple = (1 << 23) - 1;
constexpr int kMaxYearsPerPeriod = 100;
constexpr int kBusinessMask = 0x3E;     // Monday..Friday
constexpr int kWeekPatternMask = 0x7E;  // Monday..Saturday: the plain week pattern
constexpr int kAllDaysMask = 0x7F;

std::optional<Frequency> describe_frequency(int code);
// The frequency `code` describes, or HBFREQ naming the code.
Status frequency_of(int code, Frequency& f);

// The parts of a frequency code (qzvpfrq / qzvufrq).
struct FrequencyParts {
    int base = 0;
    int nunits = 0;
    int year = 0;
    int month = 0;
    bool operator==(const FrequencyParts& o) const {
        return base == o.base && nunits == o.nunits && year == o.year && month == o.month;
    }
};

// Builds the one canonical code for the calendar the parts describe.
Status compose_frequency(const FrequencyParts& parts, int& code);
// The canonical parts of a valid code; compose_frequency gives the code back.
Status decompose_frequency(int code, FrequencyParts& parts);
int base_frequency(int code);  // the base of a compound code, else the code

std::string frequency_name(int code);                      // "" for an invalid code
Status parse_frequency(std::string_view text, int& code);  // inverse of frequency_name

// True when every period of `finer` lies within a single period of `coarser`.
bool frequency_divides(const Frequency& finer, const Frequency& coarser);

// Names shared with literals and pictures.
extern const char* const kMonthNames[12];   // "JANUARY" ..
extern const char* const kWeekdayNames[7];  // "SUNDAY" .. (index: weekday code - 1)

}  // namespace crqx::calendar

#endif
