// The value chunks of the file-backed store: opaque bytes per object and
// chunk number, bound and read as blobs so every byte travels unchanged;
// reads fetch only the chunks a range touches. Format 2 keeps a checksum
// beside every chunk, verified whenever the chunk is read: damage is
// reported (HIFAIL naming the object), never handed out as values or merged
// into a write. Files of format 1 are read from their own table, without.
#include "store/checksum.h"
#include "store/schema.h"
#include "store/sqlite_store.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

Status damaged(const std::string& name, int64_t chunk, const std::string& why) {
    return Status::Error(HIFAIL, "stored values of '" + name + "' are damaged (chunk " +
                                     std::to_string(chunk) + " " + why + ")");
}

bool intact(int64_t chunk, int64_t stored_checksum, const std::string& data) {
    return static_cast<uint64_t>(stored_checksum) == chunk_checksum(chunk, data);
}

}  // namespace

// The object is resolved in the same statement unless this transaction
// already found it: a read is one statement.
Status SqliteStore::read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                    std::vector<Chunk>* chunks) {
    static const std::string by_name[2] = {
        "SELECT chunk, data FROM value_chunks WHERE object_id = " + resolved_id(1) +
            " AND chunk BETWEEN ?2 AND ?3 ORDER BY chunk",
        "SELECT chunk, data, checksum FROM chunks WHERE object_id = " + resolved_id(1) +
            " AND chunk BETWEEN ?2 AND ?3 ORDER BY chunk"};
    static const char* const by_id[2] = {
        "SELECT chunk, data FROM value_chunks"
        " WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3 ORDER BY chunk",
        "SELECT chunk, data, checksum FROM chunks"
        " WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3 ORDER BY chunk"};
    std::string key = name_key(name);
    if (prefetched_ && !prefetched_->taken && prefetched_->key == key &&
        prefetched_->span.first == first && prefetched_->span.last == last) {
        // Taken once; what is left (numbers, checksums) may still confirm a
        // loose lookup.
        prefetched_->taken = true;
        for (auto& [chunk, checksum] : prefetched_->chunks) {
            if (!intact(chunk.number, checksum, chunk.data))
                return damaged(name, chunk.number, "fails its checksum");
            chunks->push_back(std::move(chunk));
        }
        return Status::OK();
    }
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    int64_t id = cached_id(key);
    // Another process may have upgraded the file since (never back).
    if (format_ < kFormatVersion && !in_transaction_) format_version(db_, &format_);
    bool current = format_ >= 2;
    Statement st(db_, id != 0 ? by_id[current] : by_name[current].c_str());
    if (id != 0)
        st.bind(1, id);
    else
        st.bind(1, key);
    st.bind(2, first).bind(3, last);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        int64_t number = st.column_int(0);
        if (!current) {
            chunks->push_back({number, std::string(kWholeChunkHeader, 4) + st.column_blob(1)});
            continue;
        }
        chunks->push_back({number, st.column_blob(1)});
        if (!intact(number, st.column_int(2), chunks->back().data))
            return damaged(name, number, "fails its checksum");
    }
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "reading values", HLOCKD);
}

Status SqliteStore::write_chunks(const std::string& name, const std::vector<Chunk>& chunks) {
    if (format_ < 2)
        return Status::Error(HIFAIL, "values are written only after the file's upgrade");
    prefetched_.reset();
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    for (const Chunk& c : chunks) {
        Statement st(db_,
                     "INSERT INTO chunks(object_id, chunk, checksum, data) VALUES (?1, ?2, ?3, ?4)"
                     " ON CONFLICT(object_id, chunk) DO UPDATE"
                     " SET checksum = excluded.checksum, data = excluded.data");
        st.bind(1, id).bind(2, c.number);
        st.bind(3, static_cast<int64_t>(chunk_checksum(c.number, c.data)));
        int rc = st.bind_blob_static(4, c.data).step();
        if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "writing values", HLOCKD);
    }
    return Status::OK();
}

Status SqliteStore::delete_chunks(int64_t id) {
    prefetched_.reset();
    Statement st(db_, format_ >= 2 ? "DELETE FROM chunks WHERE object_id = ?1"
                                   : "DELETE FROM value_chunks WHERE object_id = ?1");
    int rc = st.bind(1, id).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "deleting values", HLOCKD);
}

// SQLite's own check of the file's structure, then every chunk against
// its checksum.
Status SqliteStore::check_file() {
    CRQX_RETURN_IF_ERROR(enter_snapshot());
    {
        Statement st(db_, "PRAGMA integrity_check");
        int rc = st.step();
        if (rc != SQLITE_ROW) return sqlite_error(db_, rc, "checking the file", HLOCKD);
        std::string verdict = st.column_text(0);
        if (verdict != "ok") return Status::Error(HIFAIL, "the file is damaged: " + verdict);
    }
    if (format_ < 2) return Status::OK();
    Statement st(db_,
                 "SELECT o.name, c.chunk, c.data, c.checksum FROM chunks c"
                 " LEFT JOIN objects o ON o.id = c.object_id ORDER BY c.object_id, c.chunk");
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        int64_t number = st.column_int(1);
        if (st.column_is_null(0)) return damaged("(no object)", number, "belongs to no object");
        if (!intact(number, st.column_int(3), st.column_blob(2)))
            return damaged(st.column_text(0), number, "fails its checksum");
    }
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "checking the file", HLOCKD);
}

}  // namespace store
}  // namespace crqx
