// Chunk access for the series room: reads only the chunks a range touches.
#include "store/sqlite_store.h"
#include "store/sqlite_util.h"


namespace crqx {
namespace store {

Status SqliteStore::read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                    std::vector<Chunk>* chunks) {
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    Statement st(db_,
                 "SELECT chunk, data FROM value_chunks WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3"
                 " ORDER BY chunk");
    st.bind(1, id).bind(2, first).bind(3, last);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) chunks->push_back({st.column_int(0), st.column_blob(1)});
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "reading values", HLOCKD);
}

}  // namespace store
}  // namespace crqx
