// What the series entry points share: finding the object and span a call
// names, the missing-value translation switch, and value conversion on the
// way in (translation, typed writes, date checks).
#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "api/status_report.h"
#include "calendar/date_index.h"
#include "formulas/formulas.h"
#include "series/chunk_codec.h"
#include "series/series.h"

namespace crqx {
namespace api {

// The database, object and span a series call names.
struct SeriesTarget {
    store::Database* db = nullptr;
    series::ValuedObject object;
    series::Span span;
    bool formula = false;  // values computed from the formula's text
};

// Range reads of at most this many chunks are hinted: longer ones gain
// nothing measurable from sparing one statement.
constexpr int64_t kHintedChunks = 4;

// A read scope (store::ReadScope) on the database `dbkey` names, for the
// length of a call that only reads: its lookups and reads share one
// snapshot and one taking of the locks. A bad key opens none (the call
// reports it in its turn).
class ReadCall {
public:
    // With a range read's range, a short range's chunks may come with the
    // object's lookup (Store::expect_chunk_span). The range is checked
    // later, in its turn; a hint from a range that turns out bad is unused.
    explicit ReadCall(int dbkey, const int* range = nullptr) {
        store::Database* db = nullptr;
        if (!database(dbkey, &db).ok()) return;
        scope_.emplace(*db->store);
        if (range == nullptr || range[2] < range[1]) return;
        const int64_t first = series::chunk_of(range[1]), last = series::chunk_of(range[2]);
        if (last - first < kHintedChunks) db->store->expect_chunk_span(first, last);
    }

private:
    std::optional<store::ReadScope> scope_;
};

// The target's span of values, stored or computed.
template <typename T>
Status read_span(const SeriesTarget& t, T* out) {
    if (t.formula) return formulas::read_span(*t.db, t.object, t.span, out);
    return series::read_span(*t.db, t.object, t.span, out);
}

// The database and object a call names (its span still unresolved). A
// formula stands as the series or scalar its expression gives; a global
// formula of another open database is found through any key.
inline Status find_object_of(int dbkey, const char* objnam, SeriesTarget* t) {
    CRQX_RETURN_IF_ERROR(not_null(objnam, "the object name"));
    CRQX_RETURN_IF_ERROR(database(dbkey, &t->db));
    Status s = series::find_valued(*t->db, objnam, &t->object);
    const bool global =
        s.code() == HNOOBJ && formulas::find_global(dbkey, objnam, &t->db, &t->object.record).ok();
    if (!global &&
        (s.code() != HBCLAS || !formulas::is_formula_class(t->object.record.object_class)))
        return s;
    t->formula = true;
    return formulas::as_valued(*t->db, &t->object);
}

inline Status find_target(int dbkey, const char* objnam, const int* range, SeriesTarget* t) {
    CRQX_RETURN_IF_ERROR(find_object_of(dbkey, objnam, t));
    return series::resolve_span(t->object, range, &t->span);
}

// What an extended function reads or writes: booleans and dates share a C
// type but not their objects.
enum class ValueClass { Numeric, Precision, Boolean, Date, String };

inline const char* value_class_name(ValueClass c) {
    switch (c) {
        case ValueClass::Numeric: return "numeric";
        case ValueClass::Precision: return "precision";
        case ValueClass::Boolean: return "boolean";
        case ValueClass::Date: return "date";
        case ValueClass::String: return "string";
    }
    return "unknown";
}

inline ValueClass value_class_of(const series::ValuedObject& o) {
    switch (o.kind) {
        case series::Kind::Numeric: return ValueClass::Numeric;
        case series::Kind::Precision: return ValueClass::Precision;
        case series::Kind::String: return ValueClass::String;
        case series::Kind::Integer: break;
    }
    return o.record.type == HBOOLN ? ValueClass::Boolean : ValueClass::Date;
}

// HBTYPE unless the object holds values of `want`.
inline Status require_class(const SeriesTarget& t, ValueClass want) {
    ValueClass has = value_class_of(t.object);
    if (has == want) return Status::OK();
    return Status::Error(HBTYPE, "object '" + t.object.record.name + "' holds " +
                                     value_class_name(has) + " values, not " +
                                     value_class_name(want));
}

// tmiss HNTMIS: no translation; HTMIS: translate through `mistt`
// (NC, ND, NA); anything else HBMISS.
template <typename T>
Status translation_of(int tmiss, const void* mistt, series::Translation<T>* tr) {
    if (tmiss == HNTMIS) {
        tr->table = nullptr;
        return Status::OK();
    }
    if (tmiss != HTMIS)
        return Status::Error(HBMISS,
                             "tmiss " + std::to_string(tmiss) + " is neither HNTMIS nor HTMIS");
    CRQX_RETURN_IF_ERROR(not_null(mistt, "the translation table mistt"));
    tr->table = static_cast<const T*>(mistt);
    return Status::OK();
}

// HBDATE when a date object of a frequency is given a value that is neither
// a missing code nor a date of that frequency.
inline Status check_dates(const store::ObjectRecord& r, const int32_t* values, int64_t count) {
    if (r.type < HDAILY) return Status::OK();  // booleans and undated HDATE values: any int
    auto f = calendar::describe_frequency(r.type);
    if (!f) return Status::OK();
    for (int64_t i = 0; i < count; ++i) {
        if (series::missing_slot(values[i]) < 0 && !calendar::in_span(*f, values[i]))
            return Status::Error(HBDATE, "value " + std::to_string(values[i]) + " at position " +
                                             std::to_string(i) + " is no date of the type of '" +
                                             r.name + "'");
    }
    return Status::OK();
}

// Reads the target's span into `out` (T: the object's C type), translated.
template <typename T>
Status read_values(const SeriesTarget& t, T* out, const series::Translation<T>& tr) {
    CRQX_RETURN_IF_ERROR(not_null(out, "the value array"));
    CRQX_RETURN_IF_ERROR(read_span(t, out));
    if (tr.table != nullptr)
        for (int64_t i = 0; i < t.span.count(); ++i) out[i] = tr.on_read(out[i]);
    return Status::OK();
}

// Writes `in` (C type S) into the target's span, stored as the object's C
// type T: translated, then converted (missing codes stay missing codes).
template <typename S, typename T>
Status write_values(const SeriesTarget& t, const S* in, const series::Translation<S>& tr) {
    CRQX_RETURN_IF_ERROR(not_null(in, "the value array"));
    const int64_t n = t.span.count();
    const T* stored = nullptr;
    std::vector<T> converted;
    if constexpr (std::is_same<S, T>::value) {
        if (tr.table == nullptr) stored = in;
    }
    if (stored == nullptr) {
        converted.resize(static_cast<size_t>(n));
        for (int64_t i = 0; i < n; ++i)
            converted[i] = series::convert_value<S, T>(tr.on_write(in[i]));
        stored = converted.data();
    }
    if constexpr (std::is_same<T, int32_t>::value)
        CRQX_RETURN_IF_ERROR(check_dates(t.object.record, stored, n));
    return series::write_span(*t.db, t.object, t.span, stored);
}

// Calls body(T{}) with the C type of a fixed-size kind; HBTYPE for strings.
template <typename Body>
Status with_value_type(const SeriesTarget& t, Body body) {
    switch (t.object.kind) {
        case series::Kind::Numeric: return body(float{});
        case series::Kind::Precision: return body(double{});
        case series::Kind::Integer: return body(int32_t{});
        case series::Kind::String: break;
    }
    return Status::Error(
        HBTYPE, "object '" + t.object.record.name + "' holds strings: use the string functions");
}

}  // namespace api
}  // namespace crqx
