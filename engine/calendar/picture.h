// Picture strings: a date written or read through a caller's layout.
// Tokens (matched without regard to case, longest first):
//   YYYY year, YY two-digit year        MM month 01-12, M month 1-12
//   MONTH month name, MON its first three letters
//   DD day 01-31, D day 1-31            DAY weekday name, DY its first three letters
//   PPP, PP, P period (zero-padded to 3, 2 digits, or not padded)
//   HH hour 00-23, MI minute, SS second, FFF millisecond
// Names follow the case of their token: MONTH -> JANUARY, Month -> January,
// month -> january. Text in double quotes, and every character other than
// a letter, stands for itself; any other letter is an error.
// With a period token, the year tokens give the (fiscal) year that labels
// the period; otherwise the calendar year of the period's day.
#ifndef CRQX_ENGINE_CALENDAR_PICTURE_H
#define CRQX_ENGINE_CALENDAR_PICTURE_H

#include <string>
#include <string_view>
#include <vector>

#include "calendar/date_index.h"

namespace crqx::calendar {

enum class Field {
    Year4,
    Year2,
    Month2,
    Month,
    MonthName,
    MonthAbbr,
    Day2,
    Day,
    WeekdayName,
    WeekdayAbbr,
    Period3,
    Period2,
    Period,
    Hour,
    Minute,
    Second,
    Millisecond,
    Text,
};
enum class LetterCase { Upper, Title, Lower };

struct PictureToken {
    Field field;
    LetterCase letters = LetterCase::Upper;
    std::string text;  // Field::Text only
};

// OK, or HBADVAL naming the picture and what is wrong with it.
Status compile_picture(std::string_view image, std::vector<PictureToken>& tokens);

Status format_picture(const Frequency& f, int32_t index, std::string_view image,
                      const Fiscal& fiscal, std::string& text);
// HBDATE naming the text and the picture when the text does not follow it.
Status scan_picture(const Frequency& f, std::string_view text, std::string_view image,
                    const Fiscal& fiscal, int century, int current_year, int32_t& index);

}  // namespace crqx::calendar

#endif
