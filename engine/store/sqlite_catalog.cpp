// The catalog of the file-backed store: database properties and object
// records, as SQL over the tables of schema.cpp (value chunks live in
// sqlite_chunks.cpp).
#include <algorithm>
#include <array>
#include <map>

#include "store/schema.h"
#include "store/sqlite_store.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

std::optional<int32_t> optional_index(const Statement& st, int column) {
    if (st.column_is_null(column)) return std::nullopt;
    return static_cast<int32_t>(st.column_int(column));
}

void read_record(const Statement& st, ObjectRecord* r) {
    r->name = st.column_text(0);
    r->object_class = static_cast<int>(st.column_int(1));
    r->type = static_cast<int>(st.column_int(2));
    r->frequency = static_cast<int>(st.column_int(3));
    r->basis = static_cast<int>(st.column_int(4));
    r->observed = static_cast<int>(st.column_int(5));
    r->description = st.column_text(6);
    r->documentation = st.column_text(7);
    r->created_ms = st.column_int(8);
    r->modified_ms = st.column_int(9);
    r->first_index = optional_index(st, 10);
    r->last_index = optional_index(st, 11);
    r->numobs_hint = static_cast<int>(st.column_int(12));
    r->numchr_hint = static_cast<int>(st.column_int(13));
    r->growth_hint = st.column_double(14);
}

}  // namespace

// SQL for the id of the object that parameter ?N names: its own name first,
// else one of its aliases.
std::string resolved_id(int parameter) {
    std::string p = "?" + std::to_string(parameter);
    return "(SELECT id FROM objects WHERE name_key = " + p +
           " UNION ALL SELECT object_id FROM aliases WHERE alias_key = " + p + " LIMIT 1)";
}

namespace {

void bind_optional(Statement& st, int index, const std::optional<int32_t>& value) {
    if (value)
        st.bind(index, static_cast<int64_t>(*value));
    else
        st.bind_null(index);
}

// Binds ?1..?16 in the order of kObjectColumns, with the name key as ?16.
void bind_record(Statement& st, const ObjectRecord& r) {
    st.bind(1, r.name).bind(2, int64_t{r.object_class}).bind(3, int64_t{r.type});
    st.bind(4, int64_t{r.frequency}).bind(5, int64_t{r.basis}).bind(6, int64_t{r.observed});
    st.bind(7, r.description)
        .bind(8, r.documentation)
        .bind(9, r.created_ms)
        .bind(10, r.modified_ms);
    bind_optional(st, 11, r.first_index);
    bind_optional(st, 12, r.last_index);
    st.bind(13, int64_t{r.numobs_hint}).bind(14, int64_t{r.numchr_hint}).bind(15, r.growth_hint);
    st.bind(16, name_key(r.name));
}

// Whether `b` differs from `a` at most in its span and modification time.
bool same_but_span(const ObjectRecord& a, const ObjectRecord& b) {
    return a.name == b.name && a.object_class == b.object_class && a.type == b.type &&
           a.frequency == b.frequency && a.basis == b.basis && a.observed == b.observed &&
           a.description == b.description && a.documentation == b.documentation &&
           a.created_ms == b.created_ms && a.numobs_hint == b.numobs_hint &&
           a.numchr_hint == b.numchr_hint && a.growth_hint == b.growth_hint;
}

// The outcome of a statement `doing` ("creating", "updating") object
// `name`, which takes the name `taken`: the texts are made on failure only.
Status write_done(sqlite3* db, int rc, const char* doing, const std::string& name,
                  const std::string& taken) {
    if (rc == SQLITE_DONE) return Status::OK();
    if ((rc & 0xFF) == SQLITE_CONSTRAINT)
        return Status::Error(HOEXI, "object '" + taken + "' already exists");
    return sqlite_error(db, rc, std::string(doing) + " object '" + name + "'", HLOCKD);
}

Status set_property(sqlite3* db, const char* key, const std::string& text) {
    Statement st(db, "INSERT OR REPLACE INTO properties(key, value) VALUES (?1, ?2)");
    int rc = st.bind(1, std::string(key)).bind(2, text).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db, rc, "writing a property", HLOCKD);
}

Status set_property(sqlite3* db, const char* key, int64_t value) {
    Statement st(db, "INSERT OR REPLACE INTO properties(key, value) VALUES (?1, ?2)");
    int rc = st.bind(1, std::string(key)).bind(2, value).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db, rc, "writing a property", HLOCKD);
}

Status read_properties(sqlite3* db, DatabaseInfo* info) {
    Statement st(db, "SELECT key, value FROM properties");
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        std::string key = st.column_text(0);
        if (key == "created_ms")
            info->created_ms = st.column_int(1);
        else if (key == "modified_ms")
            info->modified_ms = st.column_int(1);
        else if (key == "description")
            info->description = st.column_text(1);
        else if (key == "documentation")
            info->documentation = st.column_text(1);
        else if (key == "dimension")
            info->dimension = static_cast<int>(st.column_int(1));
        else if (key == "extra_dots")
            info->extra_dots = static_cast<int>(st.column_int(1));
    }
    return rc == SQLITE_DONE ? Status::OK()
                             : sqlite_error(db, rc, "reading the database properties", HLOCKD);
}

}  // namespace

Status SqliteStore::read_info(DatabaseInfo* info) {
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    if (!in_transaction_) refresh_if_changed();
    if (!info_) {
        DatabaseInfo read;
        CRQX_RETURN_IF_ERROR(read_properties(db_, &read));
        info_ = read;
    }
    *info = *info_;
    info->version = format_;
    if (modified_ms_ != 0) info->modified_ms = modified_ms_;
    return Status::OK();
}

Status SqliteStore::write_info(const DatabaseInfo& info) {
    info_.reset();
    CRQX_RETURN_IF_ERROR(set_property(db_, "description", info.description));
    CRQX_RETURN_IF_ERROR(set_property(db_, "documentation", info.documentation));
    CRQX_RETURN_IF_ERROR(set_property(db_, "dimension", int64_t{info.dimension}));
    return set_property(db_, "extra_dots", int64_t{info.extra_dots});
}

Status SqliteStore::find_object(const std::string& name, ObjectRecord* record) {
    static const std::string sql =
        std::string("SELECT ") + kObjectColumns + ", id FROM objects WHERE id = " + resolved_id(1);
    std::string key = name_key(name);
    if (cached_id(key) != 0) {
        *record = cached_record_;
        return Status::OK();
    }
    if (expected_ && read_pending_ && !loose_) {
        // The scope's first statement: on its own (see Prefetched), kept
        // when it found a series, whose read it answers.
        bool found = false;
        CRQX_RETURN_IF_ERROR(find_object_and_chunks(name, key, true, record, &found));
        if (found) {
            loose_ = true;
            return Status::OK();
        }
    }
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    if (expected_ && in_snapshot()) {
        // In a transaction, which may outlast the call: the whole record,
        // kept as the object found for the calls that follow.
        bool found = false;
        CRQX_RETURN_IF_ERROR(find_object_and_chunks(name, key, false, record, &found));
        if (found) return Status::OK();
    }
    Statement st(db_, sql.c_str());
    int rc = st.bind(1, key).step();
    if (rc == SQLITE_DONE) return Status::Error(HNOOBJ, "object '" + name + "' does not exist");
    if (rc != SQLITE_ROW) return sqlite_error(db_, rc, "finding object '" + name + "'", HLOCKD);
    read_record(st, record);
    // No other process's change shows until the snapshot ends.
    if (in_snapshot()) remember_found(std::move(key), st.column_int(15), *record);
    return Status::OK();
}

// The series under its own name and the chunks of the expected span, in
// one statement: the chunks wait in prefetched_ for the read that follows.
// Not found: *found false (an alias, no such object, or not a series:
// find_object looks it up in full). A whole record is kept as the object
// found; a brief one (no texts) goes to the caller alone.
Status SqliteStore::find_object_and_chunks(const std::string& name, const std::string& key,
                                           bool brief, ObjectRecord* record, bool* found) {
    const ChunkSpan span = *expected_;
    expected_.reset();  // one lookup per hint
    Prefetched fetched;
    CRQX_RETURN_IF_ERROR(fetch_object_and_chunks(name, key, span, brief, &fetched, found));
    if (*found && fetched.record.object_class != HSERIE) *found = false;
    if (!*found) return Status::OK();
    *record = fetched.record;
    if (!brief) remember_found(key, fetched.id, fetched.record);
    prefetched_ = std::move(fetched);
    return Status::OK();
}

Status SqliteStore::fetch_object_and_chunks(const std::string& name, const std::string& key,
                                            ChunkSpan span, bool brief, Prefetched* fetched,
                                            bool* found) {
    // Whole, and brief: the record's texts left out (empty constants; each
    // text column costs SQLite an allocation). No column of objects but id
    // shares its name with one of chunks.
    static const std::array<std::string, 2> sql = [] {
        std::array<std::string, 2> out;
        for (size_t brief = 0; brief < out.size(); ++brief) {
            std::string columns = kObjectColumns;
            const std::string texts = "description, documentation";
            if (brief) columns.replace(columns.find(texts), texts.size(), "'', ''");
            // The inline chunk, else the chunk rows of the span.
            out[brief] = "SELECT " + columns +
                         ", o.id, o.inline_chunk, o.inline_data, o.inline_checksum,"
                         " c.chunk, c.data, c.checksum FROM objects o"
                         " LEFT JOIN chunks c ON o.inline_chunk IS NULL AND c.object_id = o.id"
                         " AND c.chunk BETWEEN ?2 AND ?3 WHERE o.name_key = ?1 ORDER BY c.chunk";
        }
        return out;
    }();
    *found = false;
    Statement st(db_, sql[brief ? 1 : 0].c_str());
    int rc = st.bind_static(1, key).bind(2, span.first).bind(3, span.last).step();
    if (rc == SQLITE_DONE) return Status::OK();
    if (rc != SQLITE_ROW) return sqlite_error(db_, rc, "finding object '" + name + "'", HLOCKD);
    read_record(st, &fetched->record);
    fetched->key = key;
    fetched->id = st.column_int(15);
    fetched->span = span;
    if (!st.column_is_null(16)) {
        const int64_t number = st.column_int(16);
        if (number >= span.first && number <= span.last)
            fetched->chunks.push_back({Chunk{number, st.column_blob(17)}, st.column_int(18)});
    }
    do {
        if (st.column_is_null(19)) continue;  // no chunk row in the span
        fetched->chunks.push_back(
            {Chunk{st.column_int(19), st.column_blob(20)}, st.column_int(21)});
    } while ((rc = st.step()) == SQLITE_ROW);
    if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "finding object '" + name + "'", HLOCKD);
    *found = true;
    return Status::OK();
}

Status SqliteStore::confirm_loose_lookup() {
    loose_ = false;
    if (!prefetched_) return Status::OK();
    Prefetched before = std::move(*prefetched_);
    prefetched_.reset();
    Prefetched again;
    bool found = false;
    CRQX_RETURN_IF_ERROR(
        fetch_object_and_chunks(before.record.name, before.key, before.span, true, &again, &found));
    auto same_chunk = [](const std::pair<Chunk, int64_t>& a, const std::pair<Chunk, int64_t>& b) {
        return a.first.number == b.first.number && a.second == b.second;
    };
    const ObjectRecord &seen = before.record, &now = again.record;
    if (!found || again.id != before.id || !same_but_span(now, seen) ||
        now.modified_ms != seen.modified_ms || now.first_index != seen.first_index ||
        now.last_index != seen.last_index ||
        !std::equal(again.chunks.begin(), again.chunks.end(), before.chunks.begin(),
                    before.chunks.end(), same_chunk))
        return Status::Error(HLOCKD, "object '" + seen.name +
                                         "' changed while the call read it (another process"
                                         " posted); repeat the call");
    if (!before.taken) prefetched_ = std::move(again);
    return Status::OK();
}

Status SqliteStore::insert_object(const ObjectRecord& record) {
    static const std::string sql =
        std::string("INSERT INTO objects(") + kObjectColumns +
        ", name_key) VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15,?16)";
    // A separate check: folding it into the insert (INSERT ... SELECT ...
    // WHERE NOT EXISTS) measured slower in bench/run-peers.
    CRQX_RETURN_IF_ERROR(check_not_alias(record.name));
    Statement st(db_, sql.c_str());
    bind_record(st, record);
    CRQX_RETURN_IF_ERROR(write_done(db_, st.step(), "creating", record.name, record.name));
    // A new object is usually written next: keep it as if just found.
    remember_found(name_key(record.name), sqlite3_last_insert_rowid(db_), record);
    return Status::OK();
}

Status SqliteStore::update_object(const std::string& name, const ObjectRecord& record) {
    static const std::string columns =
        "UPDATE objects SET name=?1, class=?2, type=?3, frequency=?4, basis=?5, observed=?6,"
        " description=?7, documentation=?8, created_ms=?9, modified_ms=?10, first_index=?11,"
        " last_index=?12, numobs_hint=?13, numchr_hint=?14, growth_hint=?15";
    // Setting name_key rewrites its index entry even when the key stays:
    // it is set only when the record found in this transaction had another.
    static const std::string renaming = columns + ", name_key=?16 WHERE id = ?17";
    static const std::string keeping_key = columns + " WHERE id = ?17";
    // A write of values changes only the span and the time: the common
    // case sets those three columns, not all fifteen.
    static const char* const span_only =
        "UPDATE objects SET modified_ms=?1, first_index=?2, last_index=?3 WHERE id = ?4";
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    const bool known = cached_id_ == id && !cached_key_.empty();
    const bool same_key = known && name_key(record.name) == name_key(cached_record_.name);
    Status done;
    if (same_key && same_but_span(cached_record_, record)) {
        Statement st(db_, span_only);
        st.bind(1, record.modified_ms);
        bind_optional(st, 2, record.first_index);
        bind_optional(st, 3, record.last_index);
        done = write_done(db_, st.bind(4, id).step(), "updating", name, record.name);
    } else {
        Statement st(db_, same_key ? keeping_key.c_str() : renaming.c_str());
        bind_record(st, record);
        done = write_done(db_, st.bind(17, id).step(), "updating", name, record.name);
    }
    CRQX_RETURN_IF_ERROR(done);
    if (same_key)
        cached_record_ = record;
    else if (known)
        forget_found();  // a rename: the cached key may lead nowhere now
    return Status::OK();
}

int64_t SqliteStore::cached_id(const std::string& key) const {
    return in_snapshot() && !cached_key_.empty() && key == cached_key_ ? cached_id_ : 0;
}

Status SqliteStore::object_id(const std::string& name, int64_t* id) {
    std::string key = name_key(name);
    if ((*id = cached_id(key)) != 0) return Status::OK();
    static const std::string sql = [] {
        std::string q = resolved_id(1);
        return q.substr(1, q.size() - 2);  // the query itself, without its parentheses
    }();
    Statement st(db_, sql.c_str());
    int rc = st.bind(1, key).step();
    if (rc == SQLITE_DONE) return Status::Error(HNOOBJ, "object '" + name + "' does not exist");
    if (rc != SQLITE_ROW) return sqlite_error(db_, rc, "finding object '" + name + "'", HLOCKD);
    *id = st.column_int(0);
    return Status::OK();
}

Status SqliteStore::delete_object(const std::string& name) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    forget_found();
    CRQX_RETURN_IF_ERROR(delete_chunks(id));
    CRQX_RETURN_IF_ERROR(delete_object_extras(id));
    Statement st(db_, "DELETE FROM objects WHERE id = ?1");
    int rc = st.bind(1, id).step();
    return rc == SQLITE_DONE ? Status::OK()
                             : sqlite_error(db_, rc, "deleting object '" + name + "'", HLOCKD);
}

Status SqliteStore::list_objects(std::vector<ObjectRecord>* records) {
    static const std::string sql =
        std::string("SELECT ") + kObjectColumns + " FROM objects ORDER BY name_key";
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    Statement st(db_, sql.c_str());
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        records->emplace_back();
        read_record(st, &records->back());
    }
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "listing the objects", HLOCKD);
}

namespace {

// SQL function wanted_key(key): the caller's filter of the search under way
// (its pointer travels as the function's user data, set per search).
void wanted_key(sqlite3_context* context, int, sqlite3_value** args) {
    auto* wanted =
        *static_cast<const std::function<bool(const std::string&)>**>(sqlite3_user_data(context));
    const unsigned char* text = sqlite3_value_text(args[0]);
    int n = sqlite3_value_bytes(args[0]);
    std::string key =
        text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text), n);
    sqlite3_result_int(context, wanted != nullptr && (*wanted)(key) ? 1 : 0);
}

}  // namespace

// One walk of the name index over the range: the filter runs on the key the
// index holds, and only the rows it takes are read from the table (the
// columns a search hands out).
Status SqliteStore::find_objects(const std::string& from, const std::string& to,
                                 const std::function<bool(const std::string& key)>& wanted,
                                 std::vector<ObjectSummary>* found) {
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    if (wanted && !key_filter_registered_) {
        int rc = sqlite3_create_function(db_, "wanted_key", 1, SQLITE_UTF8, &key_filter_,
                                         wanted_key, nullptr, nullptr);
        if (rc != SQLITE_OK) return sqlite_error(db_, rc, "listing the objects", HLOCKD);
        key_filter_registered_ = true;
    }
    // Indexed by bit 0: an upper bound, bit 1: a filter.
    static const std::array<std::string, 4> sql = [] {
        std::array<std::string, 4> out;
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = std::string(
                         "SELECT name, class, type, frequency, first_index, last_index"
                         " FROM objects WHERE name_key >= ?1") +
                     (i & 1 ? " AND name_key < ?2" : "") +
                     (i & 2 ? " AND wanted_key(name_key)" : "") + " ORDER BY name_key";
        return out;
    }();
    Statement st(db_, sql[(to.empty() ? 0 : 1) | (wanted ? 2 : 0)].c_str());
    st.bind(1, from);
    if (!to.empty()) st.bind(2, to);
    key_filter_ = wanted ? &wanted : nullptr;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        found->push_back({st.column_text(0), static_cast<int>(st.column_int(1)),
                          static_cast<int>(st.column_int(2)), static_cast<int>(st.column_int(3)),
                          optional_index(st, 4), optional_index(st, 5)});
    }
    key_filter_ = nullptr;
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "listing the objects", HLOCKD);
}

}  // namespace store
}  // namespace crqx
