#include "calendar/clock.h"

#include <chrono>
#include <ctime>

#include "calendar/convert.h"
#include "calendar/errors.h"

namespace crqx::calendar {

namespace {

// The broken-down local time of `t`: the platform's thread-safe call.
bool local_time(std::time_t t, std::tm& out) {
#if defined(_WIN32)
    return localtime_s(&out, &t) == 0;
#else
    return localtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace

int64_t local_now_ms() {
    const auto now = std::chrono::system_clock::now();
    const int64_t utc_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    std::tm local{};
    if (!local_time(std::chrono::system_clock::to_time_t(now), local))
        return utc_ms;  // no zone known: UTC
    return days_from_civil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * kMsPerDay +
           (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * int64_t{1000} +
           floor_mod(utc_ms, 1000);
}

int current_year() { return civil_from_days(floor_div(local_now_ms(), kMsPerDay)).year; }

Status today_index(const Frequency& f, int32_t& index) {
    if (!is_dated(f)) return no_calendar(f);
    const int64_t today = floor_div(local_now_ms(), kMsPerDay);
    return to_date_index(f, locate_day(f, today, Relate::Before), "today", index);
}

Status now_index(const Frequency& f, int32_t& index) {
    return instant_to_index(f, local_now_ms(), Relate::Before, index);
}

}  // namespace crqx::calendar
