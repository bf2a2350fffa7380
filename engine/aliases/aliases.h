// Aliases and associations of objects, each a list of names kept with the
// object and read or written whole, in the text form of name_lists.h.
//
// An alias is another name of its object: every function that takes an
// object name finds the object by any of its aliases. So an alias must not
// be the name of an object, nor an alias of another object (HOEXI); a name
// that is an alias cannot be given to a new object either. Associations are
// names of related objects, kept as given (they need not exist).
#pragma once

#include <string>

#include "store/registry.h"
#include "store/store.h"

namespace crqx {
namespace aliases {

// Replaces the list; an empty text empties it. Name statuses of the list's
// elements, HOEXI (aliases), HNOOBJ, HREADO, HLOCKD.
Status set_names(store::Database& db, const std::string& object, store::NameList list,
                 const std::string& text);

// The list's text, "" when empty.
Status get_names(store::Database& db, const std::string& object, store::NameList list,
                 std::string* text);

}  // namespace aliases
}  // namespace crqx
