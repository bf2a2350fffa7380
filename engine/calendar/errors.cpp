#include "calendar/errors.h"

#include <cstdio>

namespace crqx::calendar {

namespace {

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// A code argument that is none of the codes it may be.
Status not_one_of(int status, const char* what, int value, const char* allowed) {
    return Status::Error(status,
                         std::string(what) + " " + std::to_string(value) + " is not " + allowed);
}

}  // namespace

std::string frequency_label(int code) {
    const std::string name = frequency_name(code);
    return name.empty() ? "frequency " + std::to_string(code) : name;
}

Status bad_frequency(int code) {
    return Status::Error(HBFREQ, std::to_string(code) + " is not a valid frequency");
}

Status no_calendar(const Frequency& f) {
    return Status::Error(
        HBFREQ, frequency_label(f.code) + " has no calendar (its indexes are case numbers)");
}

Status not_a_date(const Frequency& f, int64_t index) {
    return Status::Error(HBDATE, "index " + std::to_string(index) + " is not a date of " +
                                     frequency_label(f.code) + " (missing, or outside its span)");
}

Status no_period_holds(const Frequency& f, const std::string& point) {
    return Status::Error(HBDATE,
                         point + " falls in no single period of " + frequency_label(f.code));
}

Status bad_year(int64_t year) {
    return Status::Error(HBYEAR, "year " + std::to_string(year) + " is outside 1..9999");
}

Status bad_month(int64_t month) {
    return Status::Error(HBMONT, "month " + std::to_string(month) + " is outside 1..12");
}

Status bad_day(int year, int month, int day) {
    return Status::Error(HBDAY, "day " + std::to_string(day) + " is not in month " +
                                    std::to_string(month) + " of " + std::to_string(year));
}

Status bad_time(int hour, int minute, int second, int millisecond) {
    return Status::Error(HBTIME, "time " + std::to_string(hour) + ":" + std::to_string(minute) +
                                     ":" + std::to_string(second) + "." +
                                     std::to_string(millisecond) +
                                     " is not a time of day (00:00:00.000..23:59:59.999)");
}

Status bad_period(const Frequency& f, int64_t year, int64_t period) {
    return Status::Error(HBPER, "year " + std::to_string(year) + " of " + frequency_label(f.code) +
                                    " has no period " + std::to_string(period));
}

Status count_too_large(const Frequency& f, const std::string& what, int64_t count) {
    return Status::Error(HBPER, what + " of " + frequency_label(f.code) + " number " +
                                    std::to_string(count) + ", more than 32 bits hold");
}

std::string day_label(int64_t year, int month, int day) {
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(year), month, day);
    return text;
}

std::string instant_label(int64_t year, int month, int day, int hour, int minute, int second,
                          int millisecond) {
    char time[32];
    std::snprintf(time, sizeof time, "T%02d:%02d:%02d.%03d", hour, minute, second, millisecond);
    return day_label(year, month, day) + time;
}

Status bad_relate(int relate) {
    return not_one_of(HBREL, "relate", relate, "HBEFOR, HAFTER or HCONT");
}

Status bad_select(int select) {
    return not_one_of(HBSEL, "select", select, "HBEGIN, HEND or HINTVL");
}

Status bad_fiscal_month(int end_month) {
    return not_one_of(HBFMON, "fiscal year end month", end_month, "a month HFYJAN..HFYDEC");
}

Status bad_fiscal_label(int label) {
    return not_one_of(HBFLAB, "fiscal label", label, "HFYFST, HFYLST or HFYAUT");
}

Status bad_century(int century) {
    return Status::Error(
        HBYEAR, "century " + std::to_string(century) + " is not 0, 1..99 or a year 100..9999");
}

Status not_a_literal(const Frequency& f, std::string_view text, const std::string& example) {
    std::string message = quoted(text) + " is not a " + frequency_label(f.code) + " literal";
    if (!example.empty()) message += ": expected a form like " + example;
    return Status::Error(HBDATE, message);
}

Status bad_picture(std::string_view image, const std::string& why) {
    return Status::Error(HBADVAL, "picture " + quoted(image) + " is malformed: " + why);
}

Status not_in_picture(std::string_view text, std::string_view image, const std::string& why) {
    return Status::Error(
        HBDATE, quoted(text) + " does not follow the picture " + quoted(image) + ": " + why);
}

}  // namespace crqx::calendar
