#include "calendar/frequency.h"

#include <array>
#include <cctype>
#include <vector>

#include "calendar/civil.h"
#include "calendar/errors.h"

namespace crqx::calendar {

const char* const kMonthNames[12] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                     "MAY",       "JUNE",     "JULY",     "AUGUST",
                                     "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
const char* const kWeekdayNames[7] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                      "THURSDAY", "FRIDAY", "SATURDAY"};

namespace {

constexpr int64_t kJanuary1970 = 1970 * 12;

// Every frequency constant, in code order.
constexpr std::array<int, 57> kPlainCodes = {
    HDAILY, HBUSNS, HWKSUN, HWKMON, HWKTUE, HWKWED, HWKTHU,       HWKFRI, HWKSAT, HTENDA,
    HWASUN, HWAMON, HWATUE, HWAWED, HWATHU, HWAFRI, HWASAT,       HWBSUN, HWBMON, HWBTUE,
    HWBWED, HWBTHU, HWBFRI, HWBSAT, HTWICM, HMONTH, HBMNOV,       HBIMON, HQTOCT, HQTNOV,
    HQTDEC, HANJAN, HANFEB, HANMAR, HANAPR, HANMAY, HANJUN,       HANJUL, HANAUG, HANSEP,
    HANOCT, HANNOV, HANDEC, HSMJUL, HSMAUG, HSMSEP, HSMOCT,       HSMNOV, HSMDEC, HAYPP,
    HAPPY,  HSEC,   HMIN,   HHOUR,  HMSEC,  HCASEX, HWEEK_PATTERN};

Frequency day_pattern(int code, int mask) {
    Frequency f;
    f.code = code;
    f.kind = Kind::DayPattern;
    f.weekday_mask = mask;
    return f;
}

// A run of `days` days; `any_end_day` is some day that ends a period.
Frequency day_span(int code, int days, int64_t any_end_day) {
    Frequency f;
    f.code = code;
    f.kind = Kind::DaySpan;
    f.length = days;
    f.end_anchor = floor_mod(any_end_day, days);
    return f;
}

// A run of `months` months; `any_end_month` is some month number ending a period.
Frequency month_span(int code, int months, int64_t any_end_month) {
    Frequency f;
    f.code = code;
    f.kind = Kind::MonthSpan;
    f.length = months;
    f.end_anchor = kJanuary1970 + floor_mod(any_end_month - kJanuary1970, months);
    return f;
}

Frequency month_split(int code, int parts) {
    Frequency f;
    f.code = code;
    f.kind = Kind::MonthSplit;
    f.length = parts;
    return f;
}

Frequency intraday(int code, int64_t unit_ms) {
    Frequency f;
    f.code = code;
    f.kind = Kind::Intraday;
    f.unit_ms = unit_ms;
    return f;
}

// The first day >= 0 carrying a weekday or cycle day.
int64_t first_day_with(int wanted, int (*label)(int64_t)) {
    int64_t d = 0;
    while (label(d) != wanted) ++d;
    return d;
}

std::optional<Frequency> plain_frequency(int code) {
    if (code == HDAILY) return day_pattern(code, kAllDaysMask);
    if (code == HBUSNS) return day_pattern(code, kBusinessMask);
    if (code == HWEEK_PATTERN) return day_pattern(code, kWeekPatternMask);
    if (code >= HWKSUN && code <= HWKSAT)
        return day_span(code, 7, first_day_with(code - HWKSUN + HSUN, weekday_of_day));
    if (code >= HWASUN && code <= HWBSAT)
        return day_span(code, 14, first_day_with(code - HWASUN + HASUN, biweekday_of_day));
    if (code == HTENDA) return month_split(code, 3);
    if (code == HTWICM) return month_split(code, 2);
    if (code == HMONTH) return month_span(code, 1, 0);
    if (code == HBMNOV) return month_span(code, 2, HNOV - 1);
    if (code == HBIMON) return month_span(code, 2, HDEC - 1);
    if (code >= HQTOCT && code <= HQTDEC) return month_span(code, 3, HOCT - 1 + (code - HQTOCT));
    if (code >= HANJAN && code <= HANDEC) return month_span(code, 12, HJAN - 1 + (code - HANJAN));
    if (code >= HSMJUL && code <= HSMDEC) return month_span(code, 6, HJUL - 1 + (code - HSMJUL));
    if (code == HAYPP || code == HAPPY) return month_span(code, 12, HDEC - 1);
    if (code == HMSEC) return intraday(code, 1);
    if (code == HSEC) return intraday(code, 1000);
    if (code == HMIN) return intraday(code, 60000);
    if (code == HHOUR) return intraday(code, 3600000);
    if (code == HCASEX) {
        Frequency f;
        f.code = code;
        return f;
    }
    return std::nullopt;
}

bool same_calendar(const Frequency& a, const Frequency& b) {
    return a.kind == b.kind && a.weekday_mask == b.weekday_mask && a.length == b.length &&
           a.end_anchor == b.end_anchor && a.unit_ms == b.unit_ms;
}

// The frequency constant (other than the aliases HAPPY/HAYPP/HWEEK_PATTERN,
// which are only returned when asked for by name) with this calendar.
std::optional<int> plain_code_for(const Frequency& f) {
    for (int code : kPlainCodes) {
        if (code == HAPPY || code == HAYPP) continue;
        auto p = plain_frequency(code);
        if (p && same_calendar(*p, f)) return code;
    }
    return std::nullopt;
}

// Payload layout of the month-based compound codes (periods per year, years
// per period): units in bits 0-6, month in 7-10, year residue from 11.
constexpr int kMonthShift = 7;
constexpr int kYearShift = 11;
constexpr int kUnitsMask = (1 << kMonthShift) - 1;
constexpr int kMonthMask = 0xF;

int compound_code(int base, int payload) { return (payload << kCompoundShift) | base; }

bool is_intraday_code(int code) {
    return code == HMSEC || code == HSEC || code == HMIN || code == HHOUR;
}

// Parts that do not build a frequency, each naming the part at fault.
Status bad_units(const FrequencyParts& p) {
    return Status::Error(HBUNIT, "nunits " + std::to_string(p.nunits) + " builds no frequency on " +
                                     frequency_label(p.base));
}
Status bad_part_year(const FrequencyParts& p) {
    return Status::Error(HBYEAR, "year " + std::to_string(p.year) + " does not go with " +
                                     std::to_string(p.nunits) + " units of " +
                                     frequency_label(p.base));
}
Status bad_part_month(const FrequencyParts& p) {
    return Status::Error(HBMONT, "month " + std::to_string(p.month) + " does not go with " +
                                     std::to_string(p.nunits) + " units of " +
                                     frequency_label(p.base));
}

constexpr std::array<std::pair<int, int64_t>, 4> kIntradayUnits = {
    {{HHOUR, 3600000}, {HMIN, 60000}, {HSEC, 1000}, {HMSEC, 1}}};

Status compose_intraday(const FrequencyParts& p, Frequency& out) {
    if (p.year != 0) return bad_part_year(p);
    if (p.month != 0) return bad_part_month(p);
    int64_t unit = plain_frequency(p.base)->unit_ms;
    if (p.nunits > kMsPerDay / unit) return bad_units(p);
    const int64_t total = unit * p.nunits;
    if (total >= kMsPerDay || kMsPerDay % total != 0) return bad_units(p);
    for (auto [code, u] : kIntradayUnits) {  // coarsest unit that measures it exactly
        if (total % u != 0) continue;
        const int64_t multiple = total / u;
        if (multiple > kMaxIntradayMultiple) return bad_units(p);
        out =
            intraday(multiple == 1 ? code : compound_code(code, static_cast<int>(multiple)), total);
        return Status::OK();
    }
    return bad_units(p);
}

Status compose_periods_per_year(const FrequencyParts& p, Frequency& out) {
    if (p.year != 0) return bad_part_year(p);
    if (p.nunits == 24 || p.nunits == 36) {
        out = *plain_frequency(p.nunits == 24 ? HTWICM : HTENDA);
        return Status::OK();
    }
    if (p.nunits > 12 || 12 % p.nunits != 0) return bad_units(p);
    const int end_month = p.month == 0 ? HDEC : p.month;
    out = month_span(0, 12 / p.nunits, end_month - 1);
    if (const auto plain = plain_code_for(out)) {
        out.code = *plain;
        return Status::OK();
    }
    // Four-month periods have no constant: a compound code names them by the
    // last month of the year that ends one (September..December), so every
    // month of the cycle gives the same code.
    const int last_end_month = HDEC - static_cast<int>(floor_mod(HDEC - end_month, out.length));
    out.code = compound_code(HAPPY, p.nunits | (last_end_month << kMonthShift));
    return Status::OK();
}

Status compose_years_per_period(const FrequencyParts& p, Frequency& out) {
    if (p.nunits > kMaxYearsPerPeriod) return bad_units(p);
    const int end_month = p.month == 0 ? HDEC : p.month;
    if (p.nunits == 1) {
        out = month_span(0, 12, end_month - 1);
        out.code = *plain_code_for(out);
        return Status::OK();
    }
    const int residue = p.year % p.nunits;
    out = month_span(0, 12 * p.nunits, month_number(residue, end_month));
    out.code =
        compound_code(HAYPP, p.nunits | (end_month << kMonthShift) | (residue << kYearShift));
    return Status::OK();
}

Status compose_week_pattern(const FrequencyParts& p, Frequency& out) {
    if (p.year != 0) return bad_part_year(p);
    if (p.month != 0) return bad_part_month(p);
    if (p.nunits > kAllDaysMask) return bad_units(p);
    out = day_pattern(0, p.nunits);
    if (p.nunits == kWeekPatternMask)
        out.code = HWEEK_PATTERN;
    else if (auto plain = plain_code_for(out))
        out.code = *plain;
    else
        out.code = compound_code(HWEEK_PATTERN, p.nunits);
    return Status::OK();
}

Status build_frequency(const FrequencyParts& p, Frequency& out) {
    const auto base =
        p.base > 0 && p.base < (1 << kCompoundShift) ? plain_frequency(p.base) : std::nullopt;
    if (!base)
        return Status::Error(HBFREQ,
                             "base " + std::to_string(p.base) + " is not a frequency constant");
    if (p.nunits < 1) return bad_units(p);
    if (p.year < 0) return bad_part_year(p);
    if (p.month < 0 || p.month > 12) return bad_part_month(p);
    const bool identity = p.nunits == 1 && p.year == 0 && p.month == 0;
    if (p.base == HWEEK_PATTERN) return compose_week_pattern(p, out);
    if (identity) {
        out = *base;
        return Status::OK();
    }
    if (is_intraday_code(p.base)) return compose_intraday(p, out);
    if (p.base == HAPPY) return compose_periods_per_year(p, out);
    if (p.base == HAYPP) return compose_years_per_period(p, out);
    if (p.nunits != 1) return bad_units(p);
    return p.year != 0 ? bad_part_year(p) : bad_part_month(p);
}

FrequencyParts parts_of_compound(int code) {
    const int base = code & ((1 << kCompoundShift) - 1);
    const int payload = code >> kCompoundShift;
    if (base == HAYPP)
        return {base, payload & kUnitsMask, payload >> kYearShift,
                (payload >> kMonthShift) & kMonthMask};
    if (base == HAPPY)
        return {base, payload & kUnitsMask, 0, (payload >> kMonthShift) & kMonthMask};
    return {base, payload, 0, 0};
}

}  // namespace

std::optional<Frequency> describe_frequency(int code) {
    if (code <= 0) return std::nullopt;
    if (code < (1 << kCompoundShift)) return plain_frequency(code);
    const FrequencyParts parts = parts_of_compound(code);
    const bool compound_base = parts.base == HAYPP || parts.base == HAPPY ||
                               parts.base == HWEEK_PATTERN || is_intraday_code(parts.base);
    if (!compound_base) return std::nullopt;
    Frequency f;
    if (!build_frequency(parts, f).ok() || f.code != code)
        return std::nullopt;  // only canonical codes
    return f;
}

Status frequency_of(int code, Frequency& f) {
    const auto described = describe_frequency(code);
    if (!described) return bad_frequency(code);
    f = *described;
    return Status::OK();
}

Status compose_frequency(const FrequencyParts& parts, int& code) {
    Frequency f;
    CRQX_RETURN_IF_ERROR(build_frequency(parts, f));
    code = f.code;
    return Status::OK();
}

Status decompose_frequency(int code, FrequencyParts& parts) {
    Frequency f;
    CRQX_RETURN_IF_ERROR(frequency_of(code, f));
    if (code == HWEEK_PATTERN)
        parts = {code, kWeekPatternMask, 0, 0};
    else if (code < (1 << kCompoundShift))
        parts = {code, 1, 0, 0};
    else
        parts = parts_of_compound(code);
    return Status::OK();
}

int base_frequency(int code) {
    return code >= (1 << kCompoundShift) ? (code & ((1 << kCompoundShift) - 1)) : code;
}

// ---- Names ---------------------------------------------------------------

namespace {

std::string weekday_list(int mask) {
    std::string s;
    for (int w = 0; w < 7; ++w) {
        if (!(mask & (1 << w))) continue;
        if (!s.empty()) s += ", ";
        s += kWeekdayNames[w];
    }
    return s;
}

}  // namespace

std::string frequency_name(int code) {
    const auto f = describe_frequency(code);
    if (!f) return "";
    const FrequencyParts parts = [&] {
        FrequencyParts p;
        decompose_frequency(code, p);
        return p;
    }();
    switch (code) {
        case HDAILY: return "DAILY";
        case HBUSNS: return "BUSINESS";
        case HTENDA: return "TENDAY";
        case HTWICM: return "TWICEMONTHLY";
        case HMONTH: return "MONTHLY";
        case HAPPY: return "PERIODSPERYEAR";
        case HAYPP: return "YEARSPERPERIOD";
        case HCASEX: return "CASE";
        default: break;
    }
    if (code >= HWKSUN && code <= HWKSAT)
        return std::string("WEEKLY(") + kWeekdayNames[code - HWKSUN] + ")";
    if (code >= HWASUN && code <= HWBSAT)
        return std::string("BIWEEKLY(") + (code <= HWASAT ? "A" : "B") +
               kWeekdayNames[(code - HWASUN) % 7] + ")";
    auto with_month = [](const char* family, int month) {
        return std::string(family) + "(" + kMonthNames[month - 1] + ")";
    };
    if (code == HBMNOV || code == HBIMON)
        return with_month("BIMONTHLY", code == HBMNOV ? HNOV : HDEC);
    if (code >= HQTOCT && code <= HQTDEC) return with_month("QUARTERLY", HOCT + (code - HQTOCT));
    if (code >= HANJAN && code <= HANDEC) return with_month("ANNUAL", HJAN + (code - HANJAN));
    if (code >= HSMJUL && code <= HSMDEC) return with_month("SEMIANNUAL", HJUL + (code - HSMJUL));
    if (f->kind == Kind::DayPattern) return "WEEKPATTERN(" + weekday_list(f->weekday_mask) + ")";
    if (f->kind == Kind::Intraday) {
        const char* unit = parts.base == HMSEC  ? "MILLISECONDLY"
                           : parts.base == HSEC ? "SECONDLY"
                           : parts.base == HMIN ? "MINUTELY"
                                                : "HOURLY";
        return parts.nunits == 1 ? unit : std::to_string(parts.nunits) + " " + unit;
    }
    // four-month periods, years per period
    const std::string month = kMonthNames[parts.month - 1];
    if (parts.base == HAPPY) return std::to_string(parts.nunits) + " PERIODSPERYEAR(" + month + ")";
    return std::to_string(parts.nunits) + " YEARSPERPERIOD(" + month + ", " +
           std::to_string(parts.year) + ")";
}

namespace {

// The frequency families the parser knows, and the names that spell them.
enum class Family {
    Daily,
    Business,
    Weekly,
    WeekPattern,
    Biweekly,
    TenDay,
    TwiceMonthly,
    Monthly,
    Bimonthly,
    Quarterly,
    Semiannual,
    Annual,
    Millisecondly,
    Secondly,
    Minutely,
    Hourly,
    PeriodsPerYear,
    YearsPerPeriod,
    Case,
};

struct FamilyName {
    const char* name;
    Family family;
    bool abbreviable;  // aliases are read only in full
};

// Where two names share their first three letters the earlier one owns them:
// WEE is WEEKLY (WEEKPATTERN is written in full), SEM is SEMIANNUAL, YEA is
// YEARSPERPERIOD.
constexpr FamilyName kFamilyNames[] = {
    {"DAILY", Family::Daily, true},
    {"BUSINESS", Family::Business, true},
    {"WEEKLY", Family::Weekly, true},
    {"WEEKPATTERN", Family::WeekPattern, true},
    {"BIWEEKLY", Family::Biweekly, true},
    {"TENDAY", Family::TenDay, true},
    {"TWICEMONTHLY", Family::TwiceMonthly, true},
    {"MONTHLY", Family::Monthly, true},
    {"BIMONTHLY", Family::Bimonthly, true},
    {"QUARTERLY", Family::Quarterly, true},
    {"SEMIANNUAL", Family::Semiannual, true},
    {"ANNUAL", Family::Annual, true},
    {"MILLISECONDLY", Family::Millisecondly, true},
    {"SECONDLY", Family::Secondly, true},
    {"MINUTELY", Family::Minutely, true},
    {"HOURLY", Family::Hourly, true},
    {"PERIODSPERYEAR", Family::PeriodsPerYear, true},
    {"YEARSPERPERIOD", Family::YearsPerPeriod, true},
    {"CASE", Family::Case, true},
    {"YEARLY", Family::Annual, false},
    {"SEMIMONTHLY", Family::TwiceMonthly, false},
    {"UNDATED", Family::Case, false},
};

bool is_abbreviation(const std::string& word, const char* full) {
    return word.size() == 3 && std::string_view(full).compare(0, 3, word) == 0;
}

std::optional<Family> family_named(const std::string& word) {
    for (const FamilyName& n : kFamilyNames)
        if (word == n.name) return n.family;
    for (const FamilyName& n : kFamilyNames)
        if (n.abbreviable && is_abbreviation(word, n.name)) return n.family;
    return std::nullopt;
}

// Full name or its first three letters; the 1-based position in `names`.
std::optional<int> match_name(const std::string& word, const char* const* names, int count) {
    for (int k = 0; k < count; ++k)
        if (word == names[k] || is_abbreviation(word, names[k])) return k + 1;
    return std::nullopt;
}

bool is_separator(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == '_' || c == '-';
}
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// A word or number in upper case with its blanks, underscores and hyphens
// dropped ("Semi Annual" -> "SEMIANNUAL"); none when a separator splits a
// number ("20 20").
std::optional<std::string> squeezed(std::string_view s) {
    std::string out;
    bool separated = false;
    for (char c : s) {
        if (is_separator(c)) {
            separated = !out.empty();
            continue;
        }
        if (separated && is_ascii_digit(c) && is_ascii_digit(out.back())) return std::nullopt;
        separated = false;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

bool all_letters(const std::string& s) {
    for (char c : s)
        if (c < 'A' || c > 'Z') return false;
    return !s.empty();
}

// `[multiple] NAME [(argument, ...)]`, split and squeezed.
struct FrequencyText {
    std::optional<int> multiple;
    std::string name;
    std::vector<std::string> args;  // empty when there are no parentheses
};

std::optional<FrequencyText> split_frequency_text(std::string_view text) {
    FrequencyText out;
    std::string_view head = text;
    const size_t open = text.find('(');
    if (open != std::string_view::npos) {
        const size_t close = text.find(')', open);
        if (close == std::string_view::npos) return std::nullopt;
        for (char c : text.substr(close + 1))
            if (!std::isspace(static_cast<unsigned char>(c))) return std::nullopt;
        std::string_view inside = text.substr(open + 1, close - open - 1);
        for (;;) {
            const size_t comma = inside.find(',');
            const auto arg = squeezed(inside.substr(0, comma));
            if (!arg) return std::nullopt;
            out.args.push_back(*arg);
            if (comma == std::string_view::npos) break;
            inside.remove_prefix(comma + 1);
        }
        head = text.substr(0, open);
    }
    size_t i = 0;
    while (i < head.size() && std::isspace(static_cast<unsigned char>(head[i]))) ++i;
    if (i < head.size() && is_ascii_digit(head[i])) {
        int64_t n = 0;
        for (; i < head.size() && is_ascii_digit(head[i]); ++i) {
            n = n * 10 + (head[i] - '0');
            if (n > INT32_MAX) return std::nullopt;
        }
        out.multiple = static_cast<int>(n);
    }
    const auto name = squeezed(head.substr(i));
    if (!name || !all_letters(*name)) return std::nullopt;
    out.name = *name;
    return out;
}

std::optional<int> parse_int_arg(const std::string& s) {
    if (s.empty() || s.size() > 9) return std::nullopt;
    int v = 0;
    for (char c : s) {
        if (!is_ascii_digit(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

constexpr const char* kBiweeklyDays[14] = {
    "ASUNDAY", "AMONDAY", "ATUESDAY", "AWEDNESDAY", "ATHURSDAY", "AFRIDAY", "ASATURDAY",
    "BSUNDAY", "BMONDAY", "BTUESDAY", "BWEDNESDAY", "BTHURSDAY", "BFRIDAY", "BSATURDAY"};

// A day of the two-week cycle: AFRIDAY, its first three letters AFR, or A/B
// before a weekday's three letters (AFRI). 1-based, as the biweekly codes.
std::optional<int> biweekly_day(const std::string& arg) {
    if (const auto k = match_name(arg, kBiweeklyDays, 14)) return k;
    if (arg.size() != 4 || (arg[0] != 'A' && arg[0] != 'B')) return std::nullopt;
    const auto w = match_name(arg.substr(1), kWeekdayNames, 7);
    if (!w) return std::nullopt;
    return (arg[0] == 'A' ? 0 : 7) + *w;
}

// The code a split text names, if any.
std::optional<int> read_frequency_text(const FrequencyText& s) {
    const auto family = family_named(s.name);
    if (!family) return std::nullopt;
    const size_t nargs = s.args.size();
    auto compose = [](int base, int nunits, int year, int month) -> std::optional<int> {
        int code = 0;
        if (!compose_frequency({base, nunits, year, month}, code).ok()) return std::nullopt;
        return code;
    };
    // The first argument as a month ending a period; December when absent.
    auto month_arg = [&]() -> std::optional<int> {
        return nargs ? match_name(s.args[0], kMonthNames, 12) : std::optional<int>(HDEC);
    };
    auto month_span = [&](int per_year) -> std::optional<int> {
        const auto month = month_arg();
        if (!month || nargs > 1) return std::nullopt;
        return compose(HAPPY, per_year, 0, *month);
    };
    auto plain = [&](int code) -> std::optional<int> {
        if (nargs || s.multiple) return std::nullopt;
        return code;
    };
    auto intraday = [&](int unit) -> std::optional<int> {
        if (nargs) return std::nullopt;
        return compose(unit, s.multiple.value_or(1), 0, 0);
    };

    switch (*family) {
        case Family::Millisecondly: return intraday(HMSEC);
        case Family::Secondly: return intraday(HSEC);
        case Family::Minutely: return intraday(HMIN);
        case Family::Hourly: return intraday(HHOUR);
        case Family::PeriodsPerYear: return s.multiple ? month_span(*s.multiple) : plain(HAPPY);
        case Family::YearsPerPeriod: {
            if (!s.multiple) return plain(HAYPP);
            const auto month = month_arg();
            const auto year = nargs > 1 ? parse_int_arg(s.args[1]) : std::optional<int>(0);
            if (!month || !year || nargs > 2) return std::nullopt;
            return compose(HAYPP, *s.multiple, *year, *month);
        }
        default: break;
    }
    if (s.multiple) return std::nullopt;
    switch (*family) {
        case Family::WeekPattern: {
            if (!nargs) return HWEEK_PATTERN;
            int mask = 0;
            for (const std::string& a : s.args) {
                const auto w = match_name(a, kWeekdayNames, 7);
                if (!w) return std::nullopt;
                mask |= 1 << (*w - 1);
            }
            return compose(HWEEK_PATTERN, mask, 0, 0);
        }
        case Family::Weekly: {
            const auto w =
                nargs ? match_name(s.args[0], kWeekdayNames, 7) : std::optional<int>(HSUN);
            if (!w || nargs > 1) return std::nullopt;
            return HWKSUN + *w - 1;
        }
        case Family::Biweekly: {
            const auto d = nargs ? biweekly_day(s.args[0]) : std::optional<int>(HASUN);
            if (!d || nargs > 1) return std::nullopt;
            return HWASUN + *d - 1;
        }
        case Family::Monthly: return plain(HMONTH);
        case Family::Bimonthly: return month_span(6);
        case Family::Quarterly: return month_span(4);
        case Family::Semiannual: return month_span(2);
        case Family::Annual: return month_span(1);
        case Family::Daily: return plain(HDAILY);
        case Family::Business: return plain(HBUSNS);
        case Family::TenDay: return plain(HTENDA);
        case Family::TwiceMonthly: return plain(HTWICM);
        case Family::Case: return plain(HCASEX);
        default: return std::nullopt;
    }
}

}  // namespace

Status parse_frequency(std::string_view text, int& code) {
    const auto parsed = split_frequency_text(text);
    const auto parsed_code = parsed ? read_frequency_text(*parsed) : std::nullopt;
    if (!parsed_code)
        return Status::Error(HBFREQ, "'" + std::string(text) + "' is not a frequency");
    code = *parsed_code;
    return Status::OK();
}

// ---- Nesting -------------------------------------------------------------

namespace {
bool covers_every_day(const Frequency& f) {
    return f.kind != Kind::DayPattern || f.weekday_mask == kAllDaysMask;
}
}  // namespace

bool frequency_divides(const Frequency& a, const Frequency& b) {
    if (a.kind == Kind::Case || b.kind == Kind::Case) return a.kind == b.kind;
    if (a.kind == Kind::Intraday) {
        if (b.kind == Kind::Intraday) return b.unit_ms % a.unit_ms == 0;
        return covers_every_day(b);  // intraday periods never cross midnight
    }
    if (b.kind == Kind::Intraday) return false;
    switch (a.kind) {
        case Kind::DayPattern:
            if (b.kind == Kind::DayPattern) return (a.weekday_mask & ~b.weekday_mask) == 0;
            return true;  // a single day always lies within one period of a gapless frequency
        case Kind::DaySpan:
            return b.kind == Kind::DaySpan && b.length % a.length == 0 &&
                   (b.end_anchor - a.end_anchor) % a.length == 0;
        case Kind::MonthSplit:
            return (b.kind == Kind::MonthSplit && b.length == a.length) ||
                   b.kind == Kind::MonthSpan;
        case Kind::MonthSpan:
            return b.kind == Kind::MonthSpan && b.length % a.length == 0 &&
                   floor_mod(b.end_anchor - a.end_anchor, a.length) == 0;
        default: return false;
    }
}

}  // namespace crqx::calendar
