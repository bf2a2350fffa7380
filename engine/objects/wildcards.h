// Wildcard searches over a database's names. A search takes its matches
// when it starts (name order, case-insensitive) and hands them out one by
// one; later changes to the database do not move it. Classic searches are
// one per database key; extended searches have their own keys, any number
// open at once.
#pragma once

#include <string>
#include <vector>

#include "store/registry.h"

namespace crqx {
namespace objects {

struct Search {
    int dbkey = 0;
    std::vector<store::ObjectSummary> matches;
    size_t next = 0;
};

// Collects the objects of `db` whose names match `pattern` (see names.h),
// of class `only_class` when it is not 0, at or after `start` in name order
// when `start` is not empty. HBOBJT/HNTOOLONG for a bad pattern, HBCLAS
// for a bad class.
Status start_search(store::Database& db, const std::string& pattern, int only_class,
                    const std::string& start, Search* search);

// The next match without moving past it (valid until the search moves or
// ends), or HNOOBJ when none is left;
// HBKEY when the search's database has been closed since. A caller moves on
// with advance() once the match is delivered, so a name that did not fit
// the caller's buffer is handed out again.
Status peek_match(Search& search, const store::ObjectSummary** match);
void advance(Search& search);

// The classic search of database `dbkey` (HNWILD when none was started).
void set_classic_search(int dbkey, Search search);
Status classic_search(int dbkey, Search** search);

// Extended searches by key (HBKEY for an unknown or freed key).
int add_search(Search search);
Status find_search(int key, Search** search);
Status free_search(int key);

}  // namespace objects
}  // namespace crqx
