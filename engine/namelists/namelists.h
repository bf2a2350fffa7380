// Namelist objects: an object of type HNAMEL holds one list of names (each
// a valid object name, none twice), read and written element by element.
// Elements are numbered from 1; the index HNLALL (-1) stands for the whole
// list as text (names joined by commas, see attributes/name_lists.h).
#pragma once

#include <string>

#include "store/registry.h"

namespace crqx {
namespace namelists {

// The number of elements. HBTYPE when the object is not a namelist.
Status count_elements(store::Database& db, const std::string& object, int* count);

// Element `index` (1..count), or the whole list for HNLALL: HBINDX for any
// other index.
Status read_element(store::Database& db, const std::string& object, int index, std::string* text);

// Writes element `index` as one change of the database:
// - 1..count replaces the element, count + 1 appends one;
// - a blank text removes element `index` (1..count; later ones move up);
// - HNLALL replaces the whole list by the names of the text (duplicates
//   dropped).
// HBINDX for another index, HDUP when the name is already another element,
// name statuses for a bad name, HBTYPE, HNOOBJ, HREADO, HLOCKD.
Status write_element(store::Database& db, const std::string& object, int index,
                     const std::string& text);

}  // namespace namelists
}  // namespace crqx
