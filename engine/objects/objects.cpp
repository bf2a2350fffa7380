#include "objects/objects.h"

#include <cmath>
#include <cstdio>

#include "calendar/frequency.h"
#include "objects/names.h"
#include "store/store.h"

namespace crqx {
namespace objects {
namespace {

using store::Database;
using store::ObjectRecord;

bool is_class(int c) {
    return c == HSERIE || c == HSCALA || c == HFRMLA || c == HGLNAM || c == HGLFOR;
}

bool is_frequency(int code) { return calendar::describe_frequency(code).has_value(); }

// Value types; a frequency code as type means dates of that frequency.
bool is_type(int t) {
    if (t == HNUMRC || t == HNAMEL || t == HBOOLN || t == HSTRNG || t == HPRECN || t == HDATE)
        return true;
    return t >= HDAILY && is_frequency(t);
}

Status check_frequency(int object_class, int frequency) {
    if (is_frequency(frequency)) return Status::OK();
    if (frequency == HUNDFX && object_class != HSERIE) return Status::OK();
    return Status::Error(
        HBFREQ, "frequency " + std::to_string(frequency) + " is not valid for this object");
}

// A float as a caller wrote it: -1 rather than -1.000000.
std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

Status check_hints(const NewObject& wanted) {
    if (wanted.numobs < 0)
        return Status::Error(HBNRNG, "numobs " + std::to_string(wanted.numobs) + " is negative");
    if (wanted.numchr < 0)
        return Status::Error(HBNCHR, "numchr " + std::to_string(wanted.numchr) + " is negative");
    if (!(wanted.growth >= 0.0) || std::isinf(wanted.growth))
        return Status::Error(HBGROW, "growth " + number_text(wanted.growth) +
                                         " is not a finite number of at least 0");
    return Status::OK();
}

Status take_target_name(Database& to, const std::string& target) {
    ObjectRecord existing;
    Status s = to.store->find_object(target, &existing);
    if (s.ok()) return Status::Error(HOEXI, "object '" + existing.name + "' already exists");
    return s.code() == HNOOBJ ? Status::OK() : s;
}

// A copy takes the attributes, associations and namelist elements along;
// aliases stay with the original, since a name designates one object.
Status copy_extras(Database& from, Database& to, const std::string& source,
                   const std::string& target) {
    std::vector<store::AttributeRecord> attributes;
    CRQX_RETURN_IF_ERROR(from.store->list_attributes(source, &attributes));
    for (const store::AttributeRecord& a : attributes)
        CRQX_RETURN_IF_ERROR(to.store->write_attribute(target, a));
    for (store::NameList list : {store::NameList::Associations, store::NameList::Elements}) {
        std::vector<std::string> names;
        CRQX_RETURN_IF_ERROR(from.store->read_names(source, list, &names));
        CRQX_RETURN_IF_ERROR(to.store->write_names(target, list, names));
    }
    return Status::OK();
}

Status copy_between(Database& from, Database& to, const std::string& source,
                    const std::string& target) {
    ObjectRecord record;
    CRQX_RETURN_IF_ERROR(from.store->find_object(source, &record));
    std::vector<store::Chunk> chunks;
    CRQX_RETURN_IF_ERROR(from.store->read_chunks(record.name, &chunks));
    CRQX_RETURN_IF_ERROR(take_target_name(to, target));
    record.name = target;
    record.created_ms = record.modified_ms = store::now_ms();
    CRQX_RETURN_IF_ERROR(to.store->insert_object(record));
    CRQX_RETURN_IF_ERROR(to.store->write_chunks(target, chunks));
    return copy_extras(from, to, source, target);
}

}  // namespace

Status check_basis(int basis) {
    if (basis == HBSUND || basis == HBSDAY || basis == HBSBUS) return Status::OK();
    return Status::Error(HBBASI,
                         "basis " + std::to_string(basis) + " is not HBSUND, HBSDAY or HBSBUS");
}

Status check_observed(int observed) {
    if (observed >= HOBUND && observed <= HOBLO) return Status::OK();
    return Status::Error(HBOBSV,
                         "observed " + std::to_string(observed) + " is not one of HOBUND..HOBLO");
}

Status check_new_object(const NewObject& wanted) {
    if (!is_class(wanted.object_class))
        return Status::Error(
            HBCLAS, "class " + std::to_string(wanted.object_class) + " is not an object class");
    if (!is_type(wanted.type))
        return Status::Error(HBTYPE,
                             "type " + std::to_string(wanted.type) + " is not a value type");
    CRQX_RETURN_IF_ERROR(check_frequency(wanted.object_class, wanted.frequency));
    CRQX_RETURN_IF_ERROR(check_basis(wanted.basis));
    CRQX_RETURN_IF_ERROR(check_observed(wanted.observed));
    return check_hints(wanted);
}

Status check_object_name(Database& db, const std::string& name) {
    // The extra-dots setting matters only to a name with a dot: others spare
    // the lookup of the database's properties.
    if (name.find('.') == std::string::npos) return check_name(name, false);
    store::DatabaseInfo info;
    CRQX_RETURN_IF_ERROR(db.store->read_info(&info));
    return check_name(name, info.extra_dots != 0);
}

Status about_database(const Database& db, const Status& s) {
    if (s.ok()) return s;
    return Status::Error(s.code(), store::database_label(db) + ": " + s.message());
}

namespace {

// Starting and ending a change fail for the database as a whole (read
// only, locked, disk full): their texts name it.
Status run_change(Database& db, Status begun, const std::function<Status()>& body) {
    CRQX_RETURN_IF_ERROR(about_database(db, begun));
    Status s = body();
    Status end = db.store->end_change(s.ok());
    return s.ok() ? about_database(db, end) : s;
}

}  // namespace

Status as_change(Database& db, const std::function<Status()>& body) {
    return run_change(db, db.store->begin_change(), body);
}

Status as_plain_change(Database& db, const std::function<Status()>& body) {
    return run_change(db, db.store->begin_plain_change(), body);
}

Status find_object(Database& db, const std::string& name, ObjectRecord* record) {
    CRQX_RETURN_IF_ERROR(check_object_name(db, name));
    return db.store->find_object(name, record);
}

Status create_object(Database& db, const std::string& name, const NewObject& wanted) {
    CRQX_RETURN_IF_ERROR(check_object_name(db, name));
    CRQX_RETURN_IF_ERROR(check_new_object(wanted));
    ObjectRecord r;
    r.name = name;
    r.object_class = wanted.object_class;
    r.type = wanted.type;
    r.frequency = wanted.frequency;
    r.basis = wanted.basis;
    r.observed = wanted.observed;
    r.created_ms = r.modified_ms = store::now_ms();
    r.numobs_hint = wanted.numobs;
    r.numchr_hint = wanted.numchr;
    r.growth_hint = wanted.growth;
    // One row inserted, its checks before it: no savepoint needed.
    return as_plain_change(db, [&] { return db.store->insert_object(r); });
}

Status delete_object(Database& db, const std::string& name) {
    CRQX_RETURN_IF_ERROR(check_object_name(db, name));
    return as_change(db, [&] { return db.store->delete_object(name); });
}

Status modify_object(Database& db, const std::string& name,
                     const std::function<Status(ObjectRecord&)>& edit) {
    CRQX_RETURN_IF_ERROR(check_object_name(db, name));
    return as_change(db, [&] {
        ObjectRecord r;
        CRQX_RETURN_IF_ERROR(db.store->find_object(name, &r));
        // Update by the stored name: `name` may be an alias that `edit` removes.
        std::string stored = r.name;
        CRQX_RETURN_IF_ERROR(edit(r));
        r.modified_ms = store::now_ms();
        return db.store->update_object(stored, r);
    });
}

Status rename_object(Database& db, const std::string& source, const std::string& target) {
    CRQX_RETURN_IF_ERROR(check_object_name(db, source));
    CRQX_RETURN_IF_ERROR(check_object_name(db, target));
    return modify_object(db, source, [&](ObjectRecord& r) {
        bool same_object = store::name_key(source) == store::name_key(target);
        if (!same_object) CRQX_RETURN_IF_ERROR(take_target_name(db, target));
        r.name = target;
        return Status::OK();
    });
}

Status copy_object(Database& from, Database& to, const std::string& source,
                   const std::string& target) {
    CRQX_RETURN_IF_ERROR(check_object_name(from, source));
    CRQX_RETURN_IF_ERROR(check_object_name(to, target));
    if (&from == &to && store::name_key(source) == store::name_key(target))
        return Status::Error(HOEXI, "object '" + target + "' already exists (a copy onto itself)");
    return as_change(to, [&] { return copy_between(from, to, source, target); });
}

}  // namespace objects
}  // namespace crqx
