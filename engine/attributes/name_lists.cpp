#include "attributes/name_lists.h"

#include <set>

#include "objects/names.h"
#include "store/store.h"

namespace crqx {
namespace attributes {
std::string trim_blanks(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

Status parse_name_list(const std::string& text, bool extra_dots, std::vector<std::string>* names) {
    names->clear();
    if (trim_blanks(text).empty()) return Status::OK();
    std::set<std::string> seen;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string name = trim_blanks(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        Status s = objects::check_name(name, extra_dots);
        if (!s.ok()) return Status::Error(s.code(), "in the name list: " + s.message());
        if (seen.insert(store::name_key(name)).second) names->push_back(name);
        if (comma == std::string::npos) return Status::OK();
        start = comma + 1;
    }
}

std::string join_name_list(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) text += ',';
        text += name;
    }
    return text;
}

}  // namespace attributes
}  // namespace crqx
