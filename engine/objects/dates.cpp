#include "objects/dates.h"

#include "calendar/civil.h"
#include "calendar/date_index.h"
#include "calendar/errors.h"
#include "calendar/frequency.h"

namespace crqx {
namespace objects {

CivilDate civil_of_ms(int64_t ms) {
    auto day = calendar::civil_from_days(calendar::floor_div(ms, calendar::kMsPerDay));
    return {static_cast<int>(day.year), day.month, day.day};
}

Status index_of_ms(int freq, int64_t ms, int32_t* index) {
    auto f = calendar::describe_frequency(freq);
    if (!f) return calendar::bad_frequency(freq);  // "385 is not a valid frequency"
    if (!calendar::is_dated(*f)) return calendar::no_calendar(*f);
    std::optional<int64_t> found;
    if (f->kind == calendar::Kind::Intraday) {
        found = calendar::locate_ms(*f, ms, calendar::Relate::Contains);
    } else {
        int64_t day = calendar::floor_div(ms, calendar::kMsPerDay);
        found = calendar::locate_day(*f, day, calendar::Relate::Contains);
        if (!found) found = calendar::locate_day(*f, day, calendar::Relate::Before);
    }
    if (!calendar::to_date_index(*f, found, "the time", *index).ok())
        return Status::Error(HBFREQ,
                             "the time has no date index in " + calendar::frequency_label(freq));
    return Status::OK();
}

void year_period(int freq, std::optional<int32_t> index, int* year, int* period) {
    *year = *period = 0;
    auto f = calendar::describe_frequency(freq);
    if (!index || !f) return;
    if (!calendar::index_to_year_period(*f, *index, calendar::kCalendarYear, *year, *period).ok())
        *year = *period = 0;
}

int32_t index_or_missing(std::optional<int32_t> index) {
    return index ? *index : calendar::kIndexND;
}

}  // namespace objects
}  // namespace crqx
