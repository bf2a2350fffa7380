// Object lifecycle and properties on an open database: create, delete,
// rename, copy (within and across databases), and property changes. Each
// operation is one change of the store: all of it happens or none.
#pragma once

#include <functional>
#include <string>

#include "store/registry.h"
#include "store/store.h"

namespace crqx {
namespace objects {

// What qzvnwob/qzvalob ask for. The hints are kept, not acted on.
struct NewObject {
    int object_class = 0;
    int frequency = 0;
    int type = 0;
    int basis = 0;
    int observed = 0;
    int numobs = 0;
    int numchr = 0;
    double growth = 0.0;
};

// The codes' rules: HBCLAS, HBTYPE, HBFREQ, HBBASI, HBOBSV, and for the
// hints HBNRNG (negative count), HBNCHR (negative length), HBGROW (negative
// or not a number).
Status check_new_object(const NewObject& wanted);
Status check_basis(int basis);
Status check_observed(int observed);

// Name checks use the database's extra-dots setting.
Status check_object_name(store::Database& db, const std::string& name);

Status create_object(store::Database& db, const std::string& name, const NewObject& wanted);
Status delete_object(store::Database& db, const std::string& name);
// HOEXI when `target` names another object; a change of case only is fine.
Status rename_object(store::Database& db, const std::string& source, const std::string& target);
// HOEXI when the target exists; values and properties travel with the copy,
// which gets its own creation date.
Status copy_object(store::Database& from, store::Database& to, const std::string& source,
                   const std::string& target);

// Finds `name` and lets `edit` change its record, which is stored with a new
// modification date when `edit` returns OK.
Status modify_object(store::Database& db, const std::string& name,
                     const std::function<Status(store::ObjectRecord&)>& edit);

Status find_object(store::Database& db, const std::string& name, store::ObjectRecord* record);

// Runs `body` as one change of `db`'s store.
Status as_change(store::Database& db, const std::function<Status()>& body);
// The same for a body whose every own check comes before its first write
// (Store::begin_plain_change): cheaper, and a storage failure after that
// write discards every unposted change.
Status as_plain_change(store::Database& db, const std::function<Status()>& body);

// `s` with the database named in front of its text ("database 3
// ('/data/prices.crqx'): ..."), for failures of the database as a whole.
Status about_database(const store::Database& db, const Status& s);

}  // namespace objects
}  // namespace crqx
