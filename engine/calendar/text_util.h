// Small text helpers shared by literals and pictures.
#ifndef CRQX_ENGINE_CALENDAR_TEXT_UTIL_H
#define CRQX_ENGINE_CALENDAR_TEXT_UTIL_H

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

namespace crqx::calendar {

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }
inline char to_upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
inline bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

inline std::string_view trim(std::string_view s) {
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
    return s;
}

// Decimal digits of v, zero-padded to at least `width`.
inline std::string padded(int64_t v, int width) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
    return v < 0 ? "-" + digits : digits;
}

// Reads 1..max_digits decimal digits at `pos`; false if there are none.
inline bool read_digits(std::string_view s, size_t& pos, int max_digits, int64_t& value,
                        int* count = nullptr) {
    int n = 0;
    value = 0;
    while (pos < s.size() && n < max_digits && is_digit(s[pos]))
        value = value * 10 + (s[pos++] - '0'), ++n;
    if (count) *count = n;
    return n > 0;
}

inline bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (to_upper(a[i]) != to_upper(b[i])) return false;
    return true;
}

}  // namespace crqx::calendar

#endif
