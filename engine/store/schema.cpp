#include "store/schema.h"

#include "store/checksum.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

// The value chunks of format 2 (the upgrade from format 1 creates it too),
// owned by the series room: one row per chunk of an object's values, with
// the checksum of its bytes (checksum.h); the catalog only copies and
// deletes them. An ordinary rowid table: the (object, chunk) index stays
// small, and a seek lands on a short row whatever the size of its blob.
const char* const kChunksTable = R"sql(
CREATE TABLE chunks(
  id        INTEGER PRIMARY KEY,
  object_id INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE,
  chunk     INTEGER NOT NULL,
  checksum  INTEGER NOT NULL,
  data      BLOB NOT NULL,
  UNIQUE(object_id, chunk)
);
)sql";

// The columns format 3 adds to objects: the one chunk of an object whose
// values fit in one chunk, kept in its row (a short series is one row, read
// with its record). While an object holds its chunk here, the chunks table
// holds none of its chunks; a second chunk moves it there.
const char* const kInlineColumns = R"sql(
ALTER TABLE objects ADD COLUMN inline_chunk INTEGER;
ALTER TABLE objects ADD COLUMN inline_checksum INTEGER;
ALTER TABLE objects ADD COLUMN inline_data BLOB;
)sql";

// The rest of format 3 (unchanged since format 1 but for kInlineColumns).
const char* const kSchema = R"sql(
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
    int rc = exec(db, kSchema);
    if (rc == SQLITE_OK) rc = exec(db, kChunksTable);
    if (rc == SQLITE_OK) rc = exec(db, kInlineColumns);
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "creating the tables", HFUSE);
    std::string marks = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                        "; PRAGMA user_version = " + std::to_string(kFormatVersion) + ";";
    rc = exec(db, marks.c_str());
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "marking the file", HFUSE);
    CRQX_RETURN_IF_ERROR(ensure_extra_tables(db, true));
    return write_initial_properties(db, created_ms);
}

Status reset_contents(sqlite3* db, int64_t created_ms) {
    CRQX_RETURN_IF_ERROR(upgrade_format(db));
    int rc = exec(db, "DELETE FROM chunks; DELETE FROM objects; DELETE FROM properties;");
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "emptying the database", HFUSE);
    CRQX_RETURN_IF_ERROR(clear_extra_tables(db));
    return write_initial_properties(db, created_ms);
}

Status format_version(sqlite3* db, int* version) {
    return pragma_int(db, "PRAGMA user_version", version);
}

namespace {

// Format 1 -> 2: every value chunk moves from value_chunks to chunks.
Status upgrade_format_1(sqlite3* db) {
    int rc = exec(db, kChunksTable);
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "upgrading the file format", HLOCKD);
    {
        Statement read(db, "SELECT object_id, chunk, data FROM value_chunks");
        Statement write(
            db, "INSERT INTO chunks(object_id, chunk, checksum, data) VALUES (?1, ?2, ?3, ?4)");
        while ((rc = read.step()) == SQLITE_ROW) {
            std::string data = std::string(kWholeChunkHeader, 4) + read.column_blob(2);
            int64_t chunk = read.column_int(1);
            write.bind(1, read.column_int(0)).bind(2, chunk);
            write.bind(3, static_cast<int64_t>(chunk_checksum(chunk, data))).bind_blob(4, data);
            int wrc = write.step();
            if (wrc != SQLITE_DONE)
                return sqlite_error(db, wrc, "upgrading the file format", HLOCKD);
            write.reset();
        }
        if (rc != SQLITE_DONE) return sqlite_error(db, rc, "upgrading the file format", HLOCKD);
    }
    rc = exec(db, "DROP TABLE value_chunks;");
    return rc == SQLITE_OK ? Status::OK()
                           : sqlite_error(db, rc, "upgrading the file format", HLOCKD);
}

}  // namespace

Status upgrade_format(sqlite3* db) {
    int version = 0;
    CRQX_RETURN_IF_ERROR(format_version(db, &version));
    if (version >= kFormatVersion) return Status::OK();
    if (version == 1) CRQX_RETURN_IF_ERROR(upgrade_format_1(db));
    std::string finish = std::string(kInlineColumns) +
                         "PRAGMA user_version = " + std::to_string(kFormatVersion) + ";";
    int rc = exec(db, finish.c_str());
    return rc == SQLITE_OK ? Status::OK()
                           : sqlite_error(db, rc, "upgrading the file format", HLOCKD);
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
