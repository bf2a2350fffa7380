#include "store/schema.h"

#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

// Version 1 of the format. value_chunks belongs to the series room: one row
// per chunk of an object's values; the catalog only copies and deletes them.
const char* const kSchemaV1 = R"sql(
CREATE TABLE properties(
  key   TEXT PRIMARY KEY,
  value                    -- no declared type: stored exactly as written
) WITHOUT ROWID;
CREATE TABLE objects(
  id            INTEGER PRIMARY KEY,
  name          TEXT NOT NULL,
  name_key      TEXT NOT NULL UNIQUE,
  class         INTEGER NOT NULL,
  type          INTEGER NOT NULL,
  frequency     INTEGER NOT NULL,
  basis         INTEGER NOT NULL,
  observed      INTEGER NOT NULL,
  description   TEXT NOT NULL DEFAULT '',
  documentation TEXT NOT NULL DEFAULT '',
  created_ms    INTEGER NOT NULL,
  modified_ms   INTEGER NOT NULL,
  first_index   INTEGER,
  last_index    INTEGER,
  numobs_hint   INTEGER NOT NULL DEFAULT 0,
  numchr_hint   INTEGER NOT NULL DEFAULT 0,
  growth_hint   REAL NOT NULL DEFAULT 0
);
CREATE TABLE value_chunks(
  object_id INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE,
  chunk     INTEGER NOT NULL,
  data      BLOB NOT NULL,
  PRIMARY KEY(object_id, chunk)
) WITHOUT ROWID;
)sql";

Status write_initial_properties(sqlite3* db, int64_t created_ms) {
    const char* sql =
        "INSERT OR REPLACE INTO properties(key, value) VALUES"
        " ('created_ms', ?1), ('modified_ms', ?1), ('description', ''),"
        " ('documentation', ''), ('dimension', 0), ('extra_dots', 0)";
    Statement st(db, sql);
    int rc = st.bind(1, created_ms).step();
    if (rc != SQLITE_DONE) return sqlite_error(db, rc, "writing the database properties", HLOCKD);
    return Status::OK();
}

Status pragma_int(sqlite3* db, const char* sql, int* value) {
    Statement st(db, sql);
    int rc = st.step();
    if (rc != SQLITE_ROW) return sqlite_error(db, rc, "reading the file header", HFUSE);
    *value = static_cast<int>(st.column_int(0));
    return Status::OK();
}

}  // namespace

Status create_schema(sqlite3* db, int64_t created_ms) {
    int rc = exec(db, kSchemaV1);
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "creating the tables", HFUSE);
    std::string marks = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                        "; PRAGMA user_version = " + std::to_string(kFormatVersion) + ";";
    rc = exec(db, marks.c_str());
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "marking the file", HFUSE);
    CRQX_RETURN_IF_ERROR(ensure_extra_tables(db, true));
    return write_initial_properties(db, created_ms);
}

Status reset_contents(sqlite3* db, int64_t created_ms) {
    int rc = exec(db, "DELETE FROM value_chunks; DELETE FROM objects; DELETE FROM properties;");
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "emptying the database", HFUSE);
    CRQX_RETURN_IF_ERROR(clear_extra_tables(db));
    return write_initial_properties(db, created_ms);
}

Status check_format(sqlite3* db, bool* fresh) {
    int app_id = 0, version = 0, tables = 0;
    CRQX_RETURN_IF_ERROR(pragma_int(db, "PRAGMA application_id", &app_id));
    CRQX_RETURN_IF_ERROR(pragma_int(db, "PRAGMA user_version", &version));
    CRQX_RETURN_IF_ERROR(pragma_int(db, "SELECT count(*) FROM sqlite_schema", &tables));
    *fresh = app_id == 0 && version == 0 && tables == 0;
    if (*fresh) return Status::OK();
    if (app_id != kApplicationId)
        return Status::Error(HNZVDB, "the file is not a database of this engine");
    if (version > kFormatVersion)
        return Status::Error(HBVER, "the file has format version " + std::to_string(version) +
                                        ", newer than this engine's " +
                                        std::to_string(kFormatVersion));
    return Status::OK();
}

std::string name_key(const std::string& name) {
    std::string key = name;
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

}  // namespace store
}  // namespace crqx
