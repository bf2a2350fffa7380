#include "objects/names.h"

#include <cctype>

namespace crqx {
namespace objects {
namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_mark(char c) {
    return c == '_' || c == '.' || c == '$' || c == '%' || c == '#' || c == '@';
}
bool is_name_char(char c) { return is_letter(c) || is_digit(c) || is_mark(c); }

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

Status bad_name(const std::string& name, const std::string& why) {
    return Status::Error(HBOBJT, "bad object name '" + name + "': " + why);
}

Status check_length(const std::string& text, const char* what) {
    if (text.empty()) return Status::Error(HBOBJT, std::string("the ") + what + " is empty");
    if (text.size() > static_cast<size_t>(HNAMLEN))
        return Status::Error(HNTOOLONG, std::string("the ") + what + " is longer than " +
                                            std::to_string(HNAMLEN) + " bytes");
    return Status::OK();
}

}  // namespace

Status check_name(const std::string& name, bool extra_dots) {
    CRQX_RETURN_IF_ERROR(check_length(name, "object name"));
    if (!is_letter(name[0])) return bad_name(name, "it must start with a letter");
    for (char c : name)
        if (!is_name_char(c))
            return bad_name(name, "it may hold only letters, digits and _ . $ % # @");
    if (extra_dots) return Status::OK();
    if (name.back() == '.') return bad_name(name, "it ends with a dot");
    if (name.find("..") != std::string::npos) return bad_name(name, "it holds two dots in a row");
    return Status::OK();
}

Status check_pattern(const std::string& pattern) {
    CRQX_RETURN_IF_ERROR(check_length(pattern, "pattern"));
    for (char c : pattern)
        if (!is_name_char(c) && c != '?' && c != '*')
            return Status::Error(
                HBOBJT, "bad pattern '" + pattern + "': it may hold only name characters, ? and *");
    return Status::OK();
}

// Iterative matching with one backtrack point (the last *): linear in
// practice, never recursive, so long patterns cannot exhaust the stack.
bool wildcard_match(const std::string& pattern, const std::string& name) {
    size_t p = 0, n = 0;
    size_t star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace objects
}  // namespace crqx
