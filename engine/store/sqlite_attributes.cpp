// Attributes, aliases, associations and namelist elements in the
// file-backed store: tables keyed by the object's id, so a rename keeps them and a delete
// takes them along.
#include <string>

#include "store/schema.h"
#include "store/sqlite_store.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

const char* const kExtraTables[] = {"attributes", "aliases", "associations", "namelist_elements"};

// `temp` makes the empty stand-ins of a read-only database, which cannot
// refer to the main database's objects.
std::string extra_tables_sql(bool temp) {
    std::string create = temp ? "CREATE TEMP TABLE IF NOT EXISTS " : "CREATE TABLE IF NOT EXISTS ";
    std::string owner = temp
                            ? "object_id INTEGER NOT NULL"
                            : "object_id INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE";
    return create + "attributes(" + owner +
           ", name_key TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL,"
           " frequency INTEGER NOT NULL, number INTEGER NOT NULL, text TEXT NOT NULL,"
           " PRIMARY KEY(object_id, name_key)) WITHOUT ROWID;" +
           create + "aliases(alias_key TEXT PRIMARY KEY, alias TEXT NOT NULL, " + owner +
           ", position INTEGER NOT NULL) WITHOUT ROWID;"
           "CREATE INDEX IF NOT EXISTS aliases_by_object ON aliases(object_id, position);" +
           create + "associations(" + owner +
           ", position INTEGER NOT NULL, name TEXT NOT NULL, PRIMARY KEY(object_id, position)) "
           "WITHOUT ROWID;" +
           create + "namelist_elements(" + owner +
           ", position INTEGER NOT NULL, name TEXT NOT NULL, PRIMARY KEY(object_id, position)) "
           "WITHOUT ROWID;";
}

Status count_extra_tables(sqlite3* db, int* count) {
    Statement st(db,
                 "SELECT count(*) FROM sqlite_schema WHERE type = 'table'"
                 " AND name IN ('attributes', 'aliases', 'associations', 'namelist_elements')");
    int rc = st.step();
    if (rc != SQLITE_ROW) return sqlite_error(db, rc, "reading the file header", HFUSE);
    *count = static_cast<int>(st.column_int(0));
    return Status::OK();
}

Status done(sqlite3* db, int rc, const std::string& what) {
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db, rc, what, HLOCKD);
}

}  // namespace

Status ensure_extra_tables(sqlite3* db, bool writable) {
    int present = 0;
    CRQX_RETURN_IF_ERROR(count_extra_tables(db, &present));
    if (present == static_cast<int>(sizeof kExtraTables / sizeof *kExtraTables))
        return Status::OK();
    int rc = exec(db, extra_tables_sql(!writable).c_str());
    return rc == SQLITE_OK ? Status::OK()
                           : sqlite_error(db, rc, "adding the attribute tables", HFUSE);
}

Status clear_extra_tables(sqlite3* db) {
    CRQX_RETURN_IF_ERROR(ensure_extra_tables(db, true));
    int rc = exec(db,
                  "DELETE FROM attributes; DELETE FROM aliases; DELETE FROM associations;"
                  " DELETE FROM namelist_elements;");
    return rc == SQLITE_OK ? Status::OK() : sqlite_error(db, rc, "emptying the database", HFUSE);
}

Status SqliteStore::check_not_alias(const std::string& name) {
    Statement st(db_, "SELECT alias FROM aliases WHERE alias_key = ?1");
    int rc = st.bind(1, name_key(name)).step();
    if (rc == SQLITE_ROW)
        return Status::Error(HOEXI,
                             "'" + name + "' is already an alias ('" + st.column_text(0) + "')");
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "looking up aliases", HLOCKD);
}

Status SqliteStore::delete_object_extras(int64_t id) {
    for (const char* table : kExtraTables) {
        std::string sql = std::string("DELETE FROM ") + table + " WHERE object_id = ?1";
        Statement st(db_, sql.c_str());
        CRQX_RETURN_IF_ERROR(done(db_, st.bind(1, id).step(), "deleting an object's attributes"));
    }
    return Status::OK();
}

Status SqliteStore::find_attribute(const std::string& object, const std::string& name,
                                   AttributeRecord* record) {
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &id));
    Statement st(db_,
                 "SELECT name, type, frequency, number, text FROM attributes"
                 " WHERE object_id = ?1 AND name_key = ?2");
    int rc = st.bind(1, id).bind(2, name_key(name)).step();
    if (rc == SQLITE_DONE)
        return Status::Error(HBATTR, "object '" + object + "' has no attribute '" + name + "'");
    if (rc != SQLITE_ROW) return sqlite_error(db_, rc, "reading attribute '" + name + "'", HLOCKD);
    record->name = st.column_text(0);
    record->type = static_cast<int>(st.column_int(1));
    record->frequency = static_cast<int>(st.column_int(2));
    record->number = st.column_int(3);
    record->text = st.column_text(4);
    return Status::OK();
}

Status SqliteStore::write_attribute(const std::string& object, const AttributeRecord& record) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &id));
    // The first spelling of an attribute's name stays (as with objects).
    Statement st(
        db_,
        "INSERT INTO attributes(object_id, name_key, name, type, frequency, number, text)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT(object_id, name_key) DO UPDATE SET"
        " type = excluded.type, frequency = excluded.frequency, number = excluded.number,"
        " text = excluded.text");
    st.bind(1, id)
        .bind(2, name_key(record.name))
        .bind(3, record.name)
        .bind(4, int64_t{record.type});
    st.bind(5, int64_t{record.frequency}).bind(6, record.number).bind(7, record.text);
    return done(db_, st.step(), "writing attribute '" + record.name + "'");
}

Status SqliteStore::list_attributes(const std::string& object,
                                    std::vector<AttributeRecord>* records) {
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &id));
    Statement st(db_,
                 "SELECT name, type, frequency, number, text FROM attributes"
                 " WHERE object_id = ?1 ORDER BY name_key");
    st.bind(1, id);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        AttributeRecord r;
        r.name = st.column_text(0);
        r.type = static_cast<int>(st.column_int(1));
        r.frequency = static_cast<int>(st.column_int(2));
        r.number = st.column_int(3);
        r.text = st.column_text(4);
        records->push_back(std::move(r));
    }
    return done(db_, rc, "listing attributes");
}

Status SqliteStore::read_names(const std::string& object, NameList list,
                               std::vector<std::string>* names) {
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &id));
    std::string sql = std::string("SELECT ") + name_list_column(list) + " FROM " +
                      name_list_table(list) + " WHERE object_id = ?1 ORDER BY position";
    Statement st(db_, sql.c_str());
    st.bind(1, id);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) names->push_back(st.column_text(0));
    return done(db_, rc, "reading a name list");
}

Status SqliteStore::write_names(const std::string& object, NameList list,
                                const std::vector<std::string>& names) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &id));
    if (list == NameList::Aliases) forget_found();  // names may now lead elsewhere
    std::string clear =
        std::string("DELETE FROM ") + name_list_table(list) + " WHERE object_id = ?1";
    Statement erase(db_, clear.c_str());
    CRQX_RETURN_IF_ERROR(done(db_, erase.bind(1, id).step(), "replacing a name list"));
    int64_t position = 0;
    for (const std::string& name : names) {
        bool alias = list == NameList::Aliases;
        if (alias) {
            Statement owner(db_, "SELECT name FROM objects WHERE name_key = ?1");
            int rc = owner.bind(1, name_key(name)).step();
            if (rc == SQLITE_ROW)
                return Status::Error(HOEXI, "alias '" + name + "' is the name of object '" +
                                                owner.column_text(0) + "'");
            CRQX_RETURN_IF_ERROR(check_not_alias(name));
        }
        std::string sql = alias ? std::string(
                                      "INSERT INTO aliases(alias_key, alias, object_id, position)"
                                      " VALUES (?1, ?2, ?3, ?4)")
                                : std::string("INSERT INTO ") + name_list_table(list) +
                                      "(object_id, position, name) VALUES (?3, ?4, ?2)";
        Statement st(db_, sql.c_str());
        if (alias) st.bind(1, name_key(name));
        st.bind(2, name).bind(3, id).bind(4, ++position);
        CRQX_RETURN_IF_ERROR(done(db_, st.step(), "writing a name list"));
    }
    return Status::OK();
}

}  // namespace store
}  // namespace crqx
