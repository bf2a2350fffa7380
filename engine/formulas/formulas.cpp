#include "formulas/formulas.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "calendar/date_index.h"
#include "calendar/literal.h"
#include "objects/objects.h"

namespace crqx {
namespace formulas {
namespace {

using language::Column;
using language::Symbol;
using store::Database;
using store::ObjectRecord;

constexpr int64_t kSourceChunk = 0;

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "data/Prices.db" is named Prices in an expression.
std::string database_word(const std::string& file) {
    size_t slash = file.find_last_of("/\\");
    std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    return upper(base);
}

Status symbol_of(Database& db, const ObjectRecord& r, Symbol* out) {
    out->name = r.name;
    out->database = db.key;
    out->identity = std::to_string(db.key) + ":" + upper(r.name);
    if (is_formula_class(r.object_class)) {
        out->kind = Symbol::Kind::Formula;
        return read_source(db, r.name, &out->source);
    }
    if (r.object_class != HSERIE && r.object_class != HSCALA)
        return Status::Error(HBCLAS, "object '" + r.name + "' holds no values");
    if (!language::type_of_code(r.type, &out->type))
        return Status::Error(HBTYPE,
                             "object '" + r.name + "' holds no values an expression can use");
    out->kind = Symbol::Kind::Stored;
    out->series = r.object_class == HSERIE;
    out->frequency = r.frequency;
    out->observed = r.observed;
    if (out->series && r.first_index && r.last_index)
        out->data = language::Span{*r.first_index, *r.last_index};
    return Status::OK();
}

template <typename T>
void widen(const std::vector<T>& in, std::vector<double>* out) {
    out->resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) (*out)[i] = series::convert_value<T, double>(in[i]);
}

template <typename T>
T narrow(double v) {
    if constexpr (std::is_same<T, double>::value) {
        return v;
    } else if constexpr (std::is_same<T, int32_t>::value) {
        int slot = series::missing_slot(v);
        if (slot >= 0) return series::Missing<int32_t>::codes[slot];
        if (!(v >= -2147483645.0 && v <= 2147483647.0))
            return series::Missing<int32_t>::codes[series::kSlotNC];
        return static_cast<int32_t>(v);
    } else {
        return series::convert_value<double, T>(v);
    }
}

// An evaluated column (checked by evaluate: one value per observation)
// into n values of the C type T.
template <typename T>
void copy_out(const Column& values, size_t n, T* out) {
    if constexpr (std::is_same<T, std::string>::value) {
        std::copy(values.text.begin(), values.text.begin() + static_cast<std::ptrdiff_t>(n), out);
    } else {
        for (size_t i = 0; i < n; ++i) out[i] = narrow<T>(values.num[i]);
    }
}

// A span of date indexes: first/last observations must be 32-bit dates.
bool fits_index(int64_t v) {
    return v >= calendar::kFirstUsableIndex && v <= std::numeric_limits<int32_t>::max();
}

}  // namespace

bool is_formula_class(int object_class) { return object_class == HFRMLA || object_class == HGLFOR; }

Status SessionCatalog::lookup(const std::string& qualifier, const std::string& name, int home,
                              Symbol* out) {
    std::vector<int> keys = store::open_keys();
    // The home database first, the others in the order they were opened.
    auto at_home = std::find(keys.begin(), keys.end(), home);
    if (at_home != keys.end()) std::rotate(keys.begin(), at_home, at_home + 1);
    bool database_found = qualifier.empty();
    for (int key : keys) {
        Database* db = nullptr;
        if (!store::find_database(key, &db).ok()) continue;
        if (!qualifier.empty()) {
            if (database_word(db->name) != upper(qualifier)) continue;
            database_found = true;
        }
        ObjectRecord r;
        Status s = objects::find_object(*db, name, &r);
        if (s.ok()) return symbol_of(*db, r, out);
        if (s.code() != HNOOBJ) return s;
    }
    if (!database_found) return Status::Error(HNOOBJ, "no open database is named " + qualifier);
    return Status::Error(HNOOBJ, "no object '" +
                                     (qualifier.empty() ? name : qualifier + ":" + name) +
                                     "' in the open databases");
}

Status SessionCatalog::read(const Symbol& symbol, language::Span span, Column* out) {
    Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(store::find_database(symbol.database, &db));
    series::ValuedObject object;
    CRQX_RETURN_IF_ERROR(series::find_valued(*db, symbol.name, &object));
    series::Span s{span.first, span.last};
    if (object.is_scalar()) s = {0, 0};
    const size_t n = static_cast<size_t>(s.count());
    switch (object.kind) {
        case series::Kind::String:
            out->text.assign(n, std::string());
            return series::read_span(*db, object, s, out->text.data());
        case series::Kind::Precision:
            out->num.resize(n);
            return series::read_span(*db, object, s, out->num.data());
        case series::Kind::Numeric: {
            std::vector<float> values(n);
            CRQX_RETURN_IF_ERROR(series::read_span(*db, object, s, values.data()));
            widen(values, &out->num);
            return Status::OK();
        }
        case series::Kind::Integer: {
            std::vector<int32_t> values(n);
            CRQX_RETURN_IF_ERROR(series::read_span(*db, object, s, values.data()));
            widen(values, &out->num);
            return Status::OK();
        }
    }
    return Status::OK();
}

Status find_global(int home, const std::string& name, Database** db, ObjectRecord* record) {
    for (int key : store::open_keys()) {
        if (key == home || !store::find_database(key, db).ok()) continue;
        if (objects::find_object(**db, name, record).ok() && record->object_class == HGLFOR)
            return Status::OK();
    }
    return Status::Error(HNOOBJ, "no object '" + name +
                                     "' and no global formula of that name in the open databases");
}

Status read_source(Database& db, const std::string& name, std::string* source) {
    std::vector<store::Chunk> chunks;
    CRQX_RETURN_IF_ERROR(db.store->read_chunk_span(name, kSourceChunk, kSourceChunk, &chunks));
    source->clear();
    if (!chunks.empty()) *source = chunks.front().data;
    return Status::OK();
}

Status define(Database& db, const std::string& name, int object_class, const std::string& source,
              bool create) {
    CRQX_RETURN_IF_ERROR(objects::check_object_name(db, name));
    std::unique_ptr<language::Node> tree;
    CRQX_RETURN_IF_ERROR(language::parse(source, &tree));
    // The type and frequency are recorded when the names resolve now; a
    // formula may also name objects that do not exist yet.
    ObjectRecord shape;
    shape.type = HUNDFT;
    shape.frequency = HUNDFX;
    SessionCatalog catalog;
    std::unique_ptr<language::Plan> plan;
    if (language::check(*tree, catalog, db.key, {std::to_string(db.key) + ":" + upper(name)}, &plan)
            .ok()) {
        shape.type = language::type_code(plan->type);
        shape.frequency = plan->series ? plan->frequency : HUNDFX;
    }
    return objects::as_change(db, [&]() -> Status {
        ObjectRecord r;
        if (create) {
            r.name = name;
            r.object_class = object_class;
            r.created_ms = store::now_ms();
            CRQX_RETURN_IF_ERROR(db.store->insert_object(r));
        } else {
            CRQX_RETURN_IF_ERROR(db.store->find_object(name, &r));
            if (!is_formula_class(r.object_class))
                return Status::Error(HBCLAS, "object '" + r.name + "' is not a formula");
        }
        std::string stored = r.name;
        r.type = shape.type;
        r.frequency = shape.frequency;
        r.modified_ms = store::now_ms();
        CRQX_RETURN_IF_ERROR(db.store->update_object(stored, r));
        return db.store->write_chunks(stored, {{kSourceChunk, source}});
    });
}

Status compile(Database& db, const ObjectRecord& record, SessionCatalog& catalog,
               std::unique_ptr<language::Plan>* plan) {
    std::string source;
    CRQX_RETURN_IF_ERROR(read_source(db, record.name, &source));
    if (source.empty())
        return Status::Error(HFRMSYNTAXERR, "formula '" + record.name + "' has no text yet");
    Status s = language::compile(source, catalog, db.key,
                                 {std::to_string(db.key) + ":" + upper(record.name)}, plan);
    if (s.ok() || s.message().rfind("in formula", 0) == 0) return s;
    return Status::Error(s.code(), "in formula '" + record.name + "': " + s.message());
}

Status as_valued(Database& db, series::ValuedObject* object) {
    SessionCatalog catalog;
    std::unique_ptr<language::Plan> plan;
    CRQX_RETURN_IF_ERROR(compile(db, object->record, catalog, &plan));
    ObjectRecord& r = object->record;
    r.object_class = plan->series ? HSERIE : HSCALA;
    r.type = language::type_code(plan->type);
    r.frequency = plan->series ? plan->frequency : HUNDFX;
    r.first_index.reset();
    r.last_index.reset();
    if (plan->data && fits_index(plan->data->first) && fits_index(plan->data->last)) {
        r.first_index = static_cast<int32_t>(plan->data->first);
        r.last_index = static_cast<int32_t>(plan->data->last);
    }
    auto kind = series::kind_of_type(r.type);
    if (!kind)
        return Status::Error(HBTYPE, "formula '" + r.name + "' gives no values of a value kind");
    object->kind = *kind;
    return Status::OK();
}

void describe(Database& db, ObjectRecord* record) {
    series::ValuedObject object;
    object.record = *record;
    if (!as_valued(db, &object).ok()) return;
    record->type = object.record.type;
    record->frequency = object.record.frequency;
    record->first_index = object.record.first_index;
    record->last_index = object.record.last_index;
}

template <typename T>
Status read_span(Database& db, const series::ValuedObject& object, series::Span span, T* out) {
    // The object's record holds the class and frequency as_valued gave it;
    // the stored record holds the text.
    ObjectRecord stored;
    CRQX_RETURN_IF_ERROR(db.store->find_object(object.record.name, &stored));
    SessionCatalog catalog;
    std::unique_ptr<language::Plan> plan;
    CRQX_RETURN_IF_ERROR(compile(db, stored, catalog, &plan));
    Column values;
    CRQX_RETURN_IF_ERROR(language::evaluate(*plan, catalog, {span.first, span.last}, &values));
    copy_out(values, static_cast<size_t>(span.count()), out);
    return Status::OK();
}

template Status read_span<float>(Database&, const series::ValuedObject&, series::Span, float*);
template Status read_span<double>(Database&, const series::ValuedObject&, series::Span, double*);
template Status read_span<int32_t>(Database&, const series::ValuedObject&, series::Span, int32_t*);
template Status read_span<std::string>(Database&, const series::ValuedObject&, series::Span,
                                       std::string*);

}  // namespace formulas
}  // namespace crqx

namespace crqx {
namespace formulas {
namespace {

Status bound_index(const calendar::Frequency& f, const std::string& literal, int code,
                   int64_t* out) {
    int32_t index = 0;
    if (!calendar::parse_literal(f, literal, calendar::kCalendarYear, 0, 2000, index).ok())
        return Status::Error(code, "'" + literal + "' is no date of the result's frequency " +
                                       calendar::frequency_name(f.code));
    *out = index;
    return Status::OK();
}

template <typename T>
Status store_column(Database& db, const series::ValuedObject& object, series::Span span,
                    const Column& values) {
    std::vector<T> out(static_cast<size_t>(span.count()));
    copy_out(values, out.size(), out.data());
    return series::write_span(db, object, span, out.data());
}

}  // namespace

Status evaluate_into(int home, const std::string& text, const Bounds& bounds, Database& target,
                     const std::string& name) {
    CRQX_RETURN_IF_ERROR(objects::check_object_name(target, name));
    SessionCatalog catalog;
    std::unique_ptr<language::Plan> plan;
    CRQX_RETURN_IF_ERROR(language::compile(text, catalog, home, {}, &plan));
    series::ValuedObject object;
    ObjectRecord& r = object.record;
    r.name = name;
    r.object_class = plan->series ? HSERIE : HSCALA;
    r.type = language::type_code(plan->type);
    r.frequency = plan->series ? plan->frequency : HUNDFX;
    r.created_ms = r.modified_ms = store::now_ms();
    object.kind = *series::kind_of_type(r.type);
    std::optional<series::Span> span;
    if (!plan->series) {
        span = series::Span{0, 0};
    } else {
        auto f = calendar::describe_frequency(plan->frequency);
        if (!f) return Status::Error(HBFREQ, "the result has no valid frequency");
        int64_t first = 0, last = 0;
        bool have = plan->data.has_value();
        const bool bounded = bounds.frequency == 0 || bounds.frequency == plan->frequency;
        const Bounds none;
        const Bounds& b = bounded ? bounds : none;
        if (have) first = plan->data->first, last = plan->data->last;
        if (!b.from.empty()) CRQX_RETURN_IF_ERROR(bound_index(*f, b.from, HBSRNG, &first));
        if (!b.to.empty()) CRQX_RETURN_IF_ERROR(bound_index(*f, b.to, HBERNG, &last));
        if (have || (!b.from.empty() && !b.to.empty())) {
            if (!calendar::in_span(*f, first))
                return Status::Error(HBSRNG, "the result would start at no date");
            if (!calendar::in_span(*f, last))
                return Status::Error(HBERNG, "the result would end at no date");
            if (last < first) return Status::Error(HBRNG, "the range ends before it starts");
            if (last - first + 1 > kMaxEvaluated)
                return Status::Error(HBNRNG, "the result would hold more than " +
                                                 std::to_string(kMaxEvaluated) + " observations");
            span = series::Span{first, last};
        }
    }
    Column values;
    if (span)
        CRQX_RETURN_IF_ERROR(
            language::evaluate(*plan, catalog, {span->first, span->last}, &values));
    // Every value is ready: replace the object in one change.
    return objects::as_change(target, [&]() -> Status {
        ObjectRecord old;
        Status found = target.store->find_object(name, &old);
        if (found.ok())
            CRQX_RETURN_IF_ERROR(target.store->delete_object(old.name));
        else if (found.code() != HNOOBJ)
            return found;
        CRQX_RETURN_IF_ERROR(target.store->insert_object(r));
        if (!span) return Status::OK();
        switch (object.kind) {
            case series::Kind::Numeric: return store_column<float>(target, object, *span, values);
            case series::Kind::Precision:
                return store_column<double>(target, object, *span, values);
            case series::Kind::Integer: return store_column<int32_t>(target, object, *span, values);
            case series::Kind::String:
                return store_column<std::string>(target, object, *span, values);
        }
        return Status::OK();
    });
}

}  // namespace formulas
}  // namespace crqx
