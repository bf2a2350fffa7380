#include "calendar/picture.h"

#include <optional>

#include "calendar/convert.h"
#include "calendar/errors.h"
#include "calendar/literal.h"
#include "calendar/text_util.h"

namespace crqx::calendar {

namespace {

struct TokenSpelling {
    const char* spelling;
    Field field;
};
// Longest spellings first so that MONTH wins over MON, MM and M.
constexpr TokenSpelling kTokens[] = {
    {"MONTH", Field::MonthName}, {"YYYY", Field::Year4},      {"FFF", Field::Millisecond},
    {"PPP", Field::Period3},     {"DAY", Field::WeekdayName}, {"MON", Field::MonthAbbr},
    {"YY", Field::Year2},        {"MM", Field::Month2},       {"MI", Field::Minute},
    {"DD", Field::Day2},         {"DY", Field::WeekdayAbbr},  {"HH", Field::Hour},
    {"SS", Field::Second},       {"PP", Field::Period2},      {"M", Field::Month},
    {"D", Field::Day},           {"P", Field::Period},
};

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

LetterCase case_of(std::string_view written) {
    const bool first_upper = written[0] >= 'A' && written[0] <= 'Z';
    bool rest_upper = true, rest_lower = true;
    for (char c : written.substr(1)) (c >= 'a' && c <= 'z' ? rest_upper : rest_lower) = false;
    if (first_upper && (rest_upper || written.size() == 1)) return LetterCase::Upper;
    if (first_upper && rest_lower) return LetterCase::Title;
    return first_upper ? LetterCase::Upper : LetterCase::Lower;
}

std::string styled(std::string_view name, LetterCase letters) {
    std::string s(name);
    for (size_t i = 0; i < s.size(); ++i) {
        const bool upper = letters == LetterCase::Upper || (letters == LetterCase::Title && i == 0);
        s[i] = upper ? to_upper(s[i])
                     : static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    }
    return s;
}

void append_text(std::vector<PictureToken>& tokens, char c) {
    if (tokens.empty() || tokens.back().field != Field::Text)
        tokens.push_back({Field::Text, LetterCase::Upper, ""});
    tokens.back().text += c;
}

bool has_period(const std::vector<PictureToken>& tokens) {
    for (const auto& t : tokens)
        if (t.field == Field::Period || t.field == Field::Period2 || t.field == Field::Period3)
            return true;
    return false;
}

// Calendar values of one date, filled as the picture needs them.
struct DateFields {
    std::optional<int> year, month, day, weekday, period, hour, minute, second, millisecond;
    std::optional<int> two_digit_year;
};

}  // namespace

Status compile_picture(std::string_view image, std::vector<PictureToken>& tokens) {
    tokens.clear();
    for (size_t i = 0; i < image.size();) {
        const char c = image[i];
        if (c == '"') {
            const size_t close = image.find('"', i + 1);
            if (close == std::string_view::npos) return bad_picture(image, "a quote is not closed");
            for (size_t k = i + 1; k < close; ++k) append_text(tokens, image[k]);
            i = close + 1;
            continue;
        }
        if (!is_letter(c)) {
            append_text(tokens, c);
            ++i;
            continue;
        }
        bool matched = false;
        for (const TokenSpelling& t : kTokens) {
            const std::string_view spelling(t.spelling);
            if (image.size() - i < spelling.size() ||
                !equals_ignoring_case(image.substr(i, spelling.size()), spelling))
                continue;
            tokens.push_back({t.field, case_of(image.substr(i, spelling.size())), ""});
            i += spelling.size();
            matched = true;
            break;
        }
        if (!matched) return bad_picture(image, std::string("no token starts at '") + c + "'");
    }
    return tokens.empty() ? bad_picture(image, "it is empty") : Status::OK();
}

Status format_picture(const Frequency& f, int32_t index, std::string_view image,
                      const Fiscal& fiscal, std::string& text) {
    std::vector<PictureToken> tokens;
    CRQX_RETURN_IF_ERROR(compile_picture(image, tokens));
    CRQX_RETURN_IF_ERROR(check_fiscal(fiscal));
    if (!is_dated(f)) return no_calendar(f);
    CivilDay day;
    TimeOfDay time;
    CRQX_RETURN_IF_ERROR(index_to_time(f, index, day, time));
    int year = day.year, period = 0;
    if (has_period(tokens))
        CRQX_RETURN_IF_ERROR(index_to_year_period(f, index, fiscal, year, period));
    const int weekday = weekday_of_day(days_from_civil(day.year, day.month, day.day));
    std::string out;
    for (const PictureToken& t : tokens) {
        switch (t.field) {
            case Field::Year4: out += padded(year, 4); break;
            case Field::Year2: out += padded(floor_mod(year, 100), 2); break;
            case Field::Month2: out += padded(day.month, 2); break;
            case Field::Month: out += std::to_string(day.month); break;
            case Field::MonthName: out += styled(kMonthNames[day.month - 1], t.letters); break;
            case Field::MonthAbbr:
                out += styled(std::string_view(kMonthNames[day.month - 1]).substr(0, 3), t.letters);
                break;
            case Field::Day2: out += padded(day.day, 2); break;
            case Field::Day: out += std::to_string(day.day); break;
            case Field::WeekdayName: out += styled(kWeekdayNames[weekday - 1], t.letters); break;
            case Field::WeekdayAbbr:
                out += styled(std::string_view(kWeekdayNames[weekday - 1]).substr(0, 3), t.letters);
                break;
            case Field::Period3: out += padded(period, 3); break;
            case Field::Period2: out += padded(period, 2); break;
            case Field::Period: out += std::to_string(period); break;
            case Field::Hour: out += padded(time.hour, 2); break;
            case Field::Minute: out += padded(time.minute, 2); break;
            case Field::Second: out += padded(time.second, 2); break;
            case Field::Millisecond: out += padded(time.millisecond, 3); break;
            case Field::Text: out += t.text; break;
        }
    }
    text = std::move(out);
    return Status::OK();
}

namespace {

// Reads one name (full, or its first three letters) from `names`.
std::optional<int> scan_name(std::string_view s, size_t& pos, const char* const* names, int count,
                             bool abbreviated) {
    for (int k = 0; k < count; ++k) {
        const std::string_view name =
            abbreviated ? std::string_view(names[k]).substr(0, 3) : std::string_view(names[k]);
        if (s.size() - pos >= name.size() &&
            equals_ignoring_case(s.substr(pos, name.size()), name)) {
            pos += name.size();
            return k + 1;
        }
    }
    return std::nullopt;
}

// Digits a numeric field reads at most: its padded width, any number for periods.
int field_width(Field f) {
    switch (f) {
        case Field::Year4: return 4;
        case Field::Millisecond: return 3;
        case Field::Period3:
        case Field::Period2:
        case Field::Period: return 9;
        default: return 2;
    }
}

// Reads the text's fields; false when it does not follow the tokens.
bool scan_fields(std::string_view s, const std::vector<PictureToken>& tokens, DateFields& out) {
    size_t pos = 0;
    for (const PictureToken& t : tokens) {
        if (t.field == Field::Text) {
            if (s.size() - pos < t.text.size() ||
                !equals_ignoring_case(s.substr(pos, t.text.size()), t.text))
                return false;
            pos += t.text.size();
            continue;
        }
        if (t.field == Field::MonthName || t.field == Field::MonthAbbr) {
            out.month = scan_name(s, pos, kMonthNames, 12, t.field == Field::MonthAbbr);
            if (!out.month) return false;
            continue;
        }
        if (t.field == Field::WeekdayName || t.field == Field::WeekdayAbbr) {
            out.weekday = scan_name(s, pos, kWeekdayNames, 7, t.field == Field::WeekdayAbbr);
            if (!out.weekday) return false;
            continue;
        }
        int64_t value = 0;
        if (!read_digits(s, pos, field_width(t.field), value)) return false;
        const int v = static_cast<int>(value);
        switch (t.field) {
            case Field::Year4: out.year = v, out.two_digit_year.reset(); break;
            case Field::Year2: out.two_digit_year = v, out.year.reset(); break;
            case Field::Month2:
            case Field::Month: out.month = v; break;
            case Field::Day2:
            case Field::Day: out.day = v; break;
            case Field::Period3:
            case Field::Period2:
            case Field::Period: out.period = v; break;
            case Field::Hour: out.hour = v; break;
            case Field::Minute: out.minute = v; break;
            case Field::Second: out.second = v; break;
            case Field::Millisecond: out.millisecond = v; break;
            default: break;
        }
    }
    return trim(s.substr(pos)).empty();
}

}  // namespace

Status scan_picture(const Frequency& f, std::string_view text, std::string_view image,
                    const Fiscal& fiscal, int century, int current_year, int32_t& index) {
    std::vector<PictureToken> tokens;
    CRQX_RETURN_IF_ERROR(compile_picture(image, tokens));
    CRQX_RETURN_IF_ERROR(check_fiscal(fiscal));
    if (!is_dated(f)) return no_calendar(f);
    DateFields fields;
    if (!scan_fields(trim(text), tokens, fields))
        return not_in_picture(text, image, "its parts do not match");
    if (fields.two_digit_year) {
        int year = 0;
        CRQX_RETURN_IF_ERROR(
            resolve_two_digit_year(*fields.two_digit_year, century, current_year, year));
        fields.year = year;
    }
    if (!fields.year) return not_in_picture(text, image, "a date needs its year");
    if (fields.period) return year_period_to_index(f, *fields.year, *fields.period, fiscal, index);
    const CivilDay day{*fields.year, fields.month.value_or(1), fields.day.value_or(1)};
    CRQX_RETURN_IF_ERROR(check_civil_day(day));
    if (fields.weekday && fields.day &&
        *fields.weekday != weekday_of_day(days_from_civil(day.year, day.month, day.day)))
        return not_in_picture(text, image, "the weekday is not that of the day");
    const TimeOfDay time{fields.hour.value_or(0), fields.minute.value_or(0),
                         fields.second.value_or(0), fields.millisecond.value_or(0)};
    return time_to_index(f, day, time, HCONT, index);
}

}  // namespace crqx::calendar
