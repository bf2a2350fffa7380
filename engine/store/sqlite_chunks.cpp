// Chunk access for the series room: reads only the chunks a range touches.
#include "store/sqlite_store.h"
#include "store/sqlite_util.h"

#include <memory>

namespace crqx {
namespace store {

Status SqliteStore::read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                    std::vector<Chunk>* chunks) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    sqlite3_stmt* st = nullptr;
    const char* sql =
        "SELECT chunk, data FROM value_chunks WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3"
        " ORDER BY chunk";
    int rc = sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize(st, sqlite3_finalize);
    if (rc != SQLITE_OK) return sqlite_error(db_, rc, "reading values", HLOCKD);
    sqlite3_bind_int64(st, 1, id);
    sqlite3_bind_int64(st, 2, first);
    sqlite3_bind_int64(st, 3, last);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const void* data = sqlite3_column_blob(st, 1);
        int n = sqlite3_column_bytes(st, 1);
        chunks->push_back({sqlite3_column_int64(st, 0),
                           data == nullptr ? std::string() : std::string(static_cast<const char*>(data), n)});
    }
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "reading values", HLOCKD);
}

}  // namespace store
}  // namespace crqx
