// The text form of a list of names (aliases, associations, namelist
// attributes): names separated by commas, blanks around each name ignored,
// written back as the names joined by single commas ("GDP,CPI,M2"). An
// empty or blank text is the empty list.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"

namespace crqx {
namespace attributes {

// Splits `text` into names, each checked as an object name (HBOBJT,
// HNTOOLONG; an empty element between two commas is HBOBJT). A name given
// twice, in any letter case, is kept once, in its first spelling.
Status parse_name_list(const std::string& text, bool extra_dots, std::vector<std::string>* names);

std::string join_name_list(const std::vector<std::string>& names);

// `text` without the blanks (spaces, tabs, line ends) around it.
std::string trim_blanks(const std::string& text);

}  // namespace attributes
}  // namespace crqx
