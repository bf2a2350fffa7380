// The value chunks of the file-backed store: opaque bytes per object and
// chunk number, bound and read as blobs so every byte travels unchanged;
// reads fetch only the chunks a range touches.
#include "store/sqlite_store.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {

Status SqliteStore::read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                    std::vector<Chunk>* chunks) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    Statement st(
        db_,
        "SELECT chunk, data FROM value_chunks WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3"
        " ORDER BY chunk");
    st.bind(1, id).bind(2, first).bind(3, last);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) chunks->push_back({st.column_int(0), st.column_blob(1)});
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "reading values", HLOCKD);
}

Status SqliteStore::write_chunks(const std::string& name, const std::vector<Chunk>& chunks) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    for (const Chunk& c : chunks) {
        Statement st(
            db_, "INSERT OR REPLACE INTO value_chunks(object_id, chunk, data) VALUES (?1, ?2, ?3)");
        int rc = st.bind(1, id).bind(2, c.number).bind_blob(3, c.data).step();
        if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "writing values", HLOCKD);
    }
    return Status::OK();
}

Status SqliteStore::delete_chunks(int64_t id) {
    Statement st(db_, "DELETE FROM value_chunks WHERE object_id = ?1");
    int rc = st.bind(1, id).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "deleting values", HLOCKD);
}

}  // namespace store
}  // namespace crqx
