// Object names and wildcard patterns.
//
// A name is 1 to HNAMLEN bytes of ASCII: a letter first, then letters,
// digits and the marks _ . $ % # @. Unless the database allows extra dots,
// a name neither ends with a dot nor holds two dots in a row. Names are
// stored as given and matched without regard to the case of letters.
#pragma once

#include <string>

#include "core/status.h"

namespace crqx {
namespace objects {

// HSUCC, HNTOOLONG (longer than HNAMLEN bytes) or HBOBJT (anything else
// against the rules above); the message quotes the name.
Status check_name(const std::string& name, bool extra_dots);

// Whether `name` matches `pattern`, where ? stands for one character and *
// for any run of characters (none included); letters match either case.
bool wildcard_match(const std::string& pattern, const std::string& name);

// A pattern holds 1 to HNAMLEN bytes of name characters and wildcards:
// HSUCC, HNTOOLONG or HBOBJT.
Status check_pattern(const std::string& pattern);

}  // namespace objects
}  // namespace crqx
