// The value chunks of the file-backed store: opaque bytes per object and
// chunk number, bound and read as blobs so every byte travels unchanged;
// reads fetch only the chunks a range touches. Format 2 keeps a checksum
// beside every chunk, verified whenever the chunk is read: damage is
// reported (HIFAIL naming the object), never handed out as values or merged
// into a write. Format 3 keeps the one chunk of a short object in its row
// (schema.cpp). Files of format 1 are read from their own table, without.
#include <algorithm>
#include <array>

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

// Runs `st` with object `id` and chunk `c` bound as ?1 (id), ?2 (number),
// ?3 (checksum) and ?4 (bytes).
int step_with_chunk(Statement& st, int64_t id, const Chunk& c) {
    st.bind(1, id).bind(2, c.number);
    st.bind(3, static_cast<int64_t>(chunk_checksum(c.number, c.data)));
    return st.bind_blob_static(4, c.data).step();
}

// Empties object ?1's inline chunk.
constexpr const char* kClearInline =
    "UPDATE objects SET inline_chunk = NULL, inline_checksum = NULL, inline_data = NULL"
    " WHERE id = ?1 AND inline_chunk IS NOT NULL";

}  // namespace

// The object is resolved in the same statement unless this transaction
// already found it: a read is one statement.
Status SqliteStore::read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                    std::vector<Chunk>* chunks) {
    // By format: 1 (value_chunks, no checksums), 2 (chunks), 3 (chunks and
    // the inline chunk of objects).
    static const std::string by_id[3] = {
        "SELECT chunk, data FROM value_chunks"
        " WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3 ORDER BY chunk",
        "SELECT chunk, data, checksum FROM chunks"
        " WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3 ORDER BY chunk",
        "SELECT inline_chunk, inline_data, inline_checksum FROM objects"
        " WHERE id = ?1 AND inline_chunk BETWEEN ?2 AND ?3 UNION ALL"
        " SELECT chunk, data, checksum FROM chunks"
        " WHERE object_id = ?1 AND chunk BETWEEN ?2 AND ?3 ORDER BY 1"};
    static const std::array<std::string, 3> by_name = [] {
        std::array<std::string, 3> out;
        for (size_t i = 0; i < out.size(); ++i) {
            // (The object's id found from its name, which is ?1 there.)
            out[i] = by_id[i];
            const std::string id = resolved_id(1);
            for (size_t at = 0; (at = out[i].find("?1", at)) != std::string::npos; at += id.size())
                out[i].replace(at, 2, id);
        }
        return out;
    }();
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
    const size_t form = static_cast<size_t>(std::min(std::max(format_, 1), 3) - 1);
    Statement st(db_, id != 0 ? by_id[form].c_str() : by_name[form].c_str());
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

// An object whose values fit in one chunk keeps it in its row (format 3);
// a second chunk moves it to the chunks table, where the others go.
Status SqliteStore::write_chunks(const std::string& name, const std::vector<Chunk>& chunks) {
    if (format_ < kFormatVersion)
        return Status::Error(HIFAIL, "values are written only after the file's upgrade");
    prefetched_.reset();
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &id));
    if (chunks.size() == 1) {
        Statement st(db_,
                     "UPDATE objects SET inline_chunk = ?2, inline_checksum = ?3, inline_data = ?4"
                     " WHERE id = ?1 AND (inline_chunk IS NULL OR inline_chunk = ?2)"
                     " AND NOT EXISTS (SELECT 1 FROM chunks WHERE object_id = ?1)");
        int rc = step_with_chunk(st, id, chunks.front());
        if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "writing values", HLOCKD);
        if (sqlite3_changes(db_) == 1) return Status::OK();
    }
    CRQX_RETURN_IF_ERROR(move_inline_chunk(id));
    for (const Chunk& c : chunks) {
        Statement st(db_,
                     "INSERT INTO chunks(object_id, chunk, checksum, data) VALUES (?1, ?2, ?3, ?4)"
                     " ON CONFLICT(object_id, chunk) DO UPDATE"
                     " SET checksum = excluded.checksum, data = excluded.data");
        int rc = step_with_chunk(st, id, c);
        if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "writing values", HLOCKD);
    }
    return Status::OK();
}

Status SqliteStore::move_inline_chunk(int64_t id) {
    Statement copy(db_,
                   "INSERT INTO chunks(object_id, chunk, checksum, data)"
                   " SELECT id, inline_chunk, inline_checksum, inline_data FROM objects"
                   " WHERE id = ?1 AND inline_chunk IS NOT NULL");
    int rc = copy.bind(1, id).step();
    if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "writing values", HLOCKD);
    if (sqlite3_changes(db_) == 0) return Status::OK();
    Statement clear(db_, kClearInline);
    rc = clear.bind(1, id).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "writing values", HLOCKD);
}

Status SqliteStore::delete_chunks(int64_t id) {
    prefetched_.reset();
    if (format_ >= 3) {
        Statement clear(db_, kClearInline);
        int rc = clear.bind(1, id).step();
        if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "deleting values", HLOCKD);
    }
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
    // The chunk rows (with the object each belongs to), then the inline
    // chunks, each of an object with no chunk row.
    Statement st(db_,
                 format_ < 3
                     ? "SELECT o.name, c.chunk, c.data, c.checksum, 0 FROM chunks c"
                       " LEFT JOIN objects o ON o.id = c.object_id ORDER BY c.object_id, c.chunk"
                     : "SELECT o.name, c.chunk, c.data, c.checksum, 0 FROM chunks c"
                       " LEFT JOIN objects o ON o.id = c.object_id UNION ALL"
                       " SELECT name, inline_chunk, inline_data, inline_checksum,"
                       " EXISTS (SELECT 1 FROM chunks WHERE object_id = objects.id)"
                       " FROM objects WHERE inline_chunk IS NOT NULL");
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        int64_t number = st.column_int(1);
        if (st.column_is_null(0)) return damaged("(no object)", number, "belongs to no object");
        if (!intact(number, st.column_int(3), st.column_blob(2)))
            return damaged(st.column_text(0), number, "fails its checksum");
        if (st.column_int(4) != 0)
            return damaged(st.column_text(0), number, "is kept inline beside chunk rows");
    }
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "checking the file", HLOCKD);
}

}  // namespace store
}  // namespace crqx
