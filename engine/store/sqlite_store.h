// The file-backed store: one SQLite database per file, in WAL mode. Only the
// store room sees this header; the rooms above know the Store of store.h.
//
// Locking. Writes happen in one open write transaction (BEGIN IMMEDIATE)
// that holds SQLite's write lock; readers in other processes keep reading
// the last posted state meanwhile. Update and write modes take the lock at
// open and keep it until close (one writer per file); shared mode takes it
// at the first change and gives it back at post or restore; direct mode
// holds it only for the length of one change, which it posts at once.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <vector>

#include "store/store.h"

namespace crqx {
namespace store {

// SQL for the id of the object that parameter ?N names (its name or an
// alias), in parentheses; NULL when none.
std::string resolved_id(int parameter);

class SqliteStore : public Store {
public:
    SqliteStore(sqlite3* db, Mode mode);
    ~SqliteStore() override;

    Mode mode() const override { return mode_; }
    Status begin_change() override;
    Status begin_plain_change() override;
    Status end_change(bool keep) override;
    void begin_read() override;
    void end_read() override;
    void expect_chunk_span(int64_t first, int64_t last) override;
    Status post() override;
    Status restore() override;
    bool has_unposted() const override { return dirty_; }
    Status pack() override;
    Status check_file() override;  // sqlite_chunks.cpp
    Status close(bool post_first) override;

    Status read_info(DatabaseInfo* info) override;
    Status write_info(const DatabaseInfo& info) override;
    Status find_object(const std::string& name, ObjectRecord* record) override;
    Status insert_object(const ObjectRecord& record) override;
    Status update_object(const std::string& name, const ObjectRecord& record) override;
    Status delete_object(const std::string& name) override;
    Status list_objects(std::vector<ObjectRecord>* records) override;
    Status find_objects(const std::string& from, const std::string& to,
                        const std::function<bool(const std::string& key)>& wanted,
                        std::vector<ObjectSummary>* found) override;
    Status read_chunk_span(const std::string& name, int64_t first, int64_t last,
                           std::vector<Chunk>* chunks) override;  // sqlite_chunks.cpp
    Status write_chunks(const std::string& name, const std::vector<Chunk>& chunks) override;
    Status find_attribute(const std::string& object, const std::string& name,
                          AttributeRecord* record) override;
    Status write_attribute(const std::string& object, const AttributeRecord& record) override;
    Status list_attributes(const std::string& object,
                           std::vector<AttributeRecord>* records) override;
    Status read_names(const std::string& object, NameList list,
                      std::vector<std::string>* names) override;
    Status write_names(const std::string& object, NameList list,
                       const std::vector<std::string>& names) override;

    // Takes the write lock now (update and write modes, at open and after
    // each post); HFUSE when another process holds it past the timeout.
    Status hold_write_lock();

private:
    // A change under way.
    struct OpenChange {
        bool savepoint;         // it started one
        int64_t writes_before;  // total_changes() when it began
    };

    // A reading call's expected chunk span, and the chunks its lookup
    // fetched with the object (with their stored checksums), handed to the
    // read that asks for exactly that object and span in the same snapshot.
    //
    // A hinted lookup that is the scope's first statement runs on its own,
    // without the scope's transaction: when it finds a series, its one
    // statement usually answers the whole call (the read takes the chunks
    // it fetched), and a transaction around it would only cost two more
    // statements. Should the call need another statement, the transaction
    // begins then and the lookup is confirmed in it (confirm_loose_lookup).
    struct ChunkSpan {
        int64_t first = 0;
        int64_t last = 0;
    };
    //
    // The record a loose lookup gives leaves out the object's description
    // and documentation (a read does not use them, and each text column
    // costs SQLite an allocation): it goes to the reading caller only and is
    // never kept as the object found (cached_record_), which a later change
    // could write back. In a transaction, which may outlast the call (update
    // and write modes hold one), the lookup reads the whole record and keeps
    // it, so the next calls on the object find it without a statement.
    struct Prefetched {
        std::string key;      // the object's name key
        ObjectRecord record;  // without its texts when brief
        int64_t id = 0;
        ChunkSpan span;
        std::vector<std::pair<Chunk, int64_t>> chunks;  // with their stored checksums
        bool taken = false;  // handed to the read (the bytes moved out, the rest kept)
    };

    bool holds_lock_for_session() const { return mode_ == Mode::Update || mode_ == Mode::Write; }
    Status begin_write(int busy_code);
    // Ends the read transaction a read scope opened (snapshot and locks).
    void end_read_transaction();
    // Ends whatever the outermost read scope holds: its transaction, or the
    // lookup it made on its own (loose_).
    void end_scope_snapshot();
    // Before a read scope's statement: its transaction begins with the
    // first (after confirming a lookup made on its own, if any).
    Status enter_snapshot();
    // The loose lookup seen again in the scope's new transaction: the same
    // record and chunks, or HLOCKD (the call would mix two states).
    Status confirm_loose_lookup();
    // Within one transaction (read or write), or the one statement of a
    // loose lookup: what was found stays valid.
    bool in_snapshot() const { return in_transaction_ || read_open_ || loose_; }
    Status finish(const char* sql, const char* what);
    Status undo_change(const OpenChange& change, bool* whole);
    // Opens the write transaction and upgrades an older file.
    Status prepare_change();
    // Stores the time of the last change (kept in memory until the post).
    Status write_modified();
    // Forgets what is cached of the file when another process may have
    // changed it (PRAGMA data_version moved) or a rollback undid our own.
    void refresh_if_changed();
    void forget_cached();
    Status object_id(const std::string& name, int64_t* id);
    // find_object's lookup of a series together with the expected chunks
    // (one statement); *found false for anything else. `brief`: the record
    // without its texts, not kept as the object found.
    Status find_object_and_chunks(const std::string& name, const std::string& key, bool brief,
                                  ObjectRecord* record, bool* found);
    // Its statement alone: the object under its own name and its chunks of
    // `span` (*found false when no object has that name as its own).
    Status fetch_object_and_chunks(const std::string& name, const std::string& key, ChunkSpan span,
                                   bool brief, Prefetched* fetched, bool* found);
    // The object found last (cached_key_ and the rest), and forgetting it
    // with the chunks fetched along.
    void remember_found(std::string key, int64_t id, const ObjectRecord& record);
    void forget_found();
    // The id when the object was found in this transaction (else 0).
    int64_t cached_id(const std::string& key) const;
    // Whether `name` is an alias of some object (HOEXI with its text).
    Status check_not_alias(const std::string& name);
    // Removes the value chunks of object `id` (sqlite_chunks.cpp).
    Status delete_chunks(int64_t id);
    // Moves object `id`'s inline chunk, if any, to the chunks table.
    Status move_inline_chunk(int64_t id);
    // Removes the attributes and name lists of object `id`.
    Status delete_object_extras(int64_t id);

    sqlite3* db_;
    Mode mode_;
    bool in_transaction_ = false;      // a write transaction is open
    bool dirty_ = false;               // it holds unposted changes
    int read_depth_ = 0;               // read scopes open (nested)
    bool read_pending_ = false;        // the outermost one has run no statement yet
    bool read_open_ = false;           // the outermost one holds a read transaction
    bool loose_ = false;               // its only statement was a hinted lookup (below)
    std::vector<OpenChange> changes_;  // innermost last
    int format_ = kFormatVersion;      // the file's format version
    int64_t modified_ms_ = 0;          // time of the last unposted change (0: none)

    // Cached: the database properties, valid while data_version stays
    // `seen_version_`; the object last found (its id and record) under
    // the name key `cached_key_` ("" for none), valid within the read or
    // write transaction that found it, so an operation looks its object up
    // once.
    std::optional<DatabaseInfo> info_;
    int64_t seen_version_ = -1;
    std::string cached_key_;
    int64_t cached_id_ = 0;
    ObjectRecord cached_record_;

    std::optional<ChunkSpan> expected_;
    std::optional<Prefetched> prefetched_;

    // The filter of the name search under way (find_objects).
    const std::function<bool(const std::string& key)>* key_filter_ = nullptr;
    bool key_filter_registered_ = false;
};

}  // namespace store
}  // namespace crqx
