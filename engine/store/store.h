// The storage interface: one database behind a narrow set of operations, so
// that the file-backed store (sqlite_store.cpp) and a server-backed one can
// stand side by side. Every method returns a Status; none throws on a
// user-level failure.
//
// Transactions. A store keeps its unposted changes in one open transaction:
// they are visible to this store at once, made durable by post(), and
// discarded by restore() or by close() without posting. Each operation that
// changes the database runs inside begin_change()/end_change(), which makes
// that one operation all-or-nothing (a failed operation leaves no trace).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/status.h"

namespace crqx {
namespace store {

// The version of the file format this engine writes (zavo_get_dbversion).
constexpr int kFormatVersion = 1;

// How a store was opened; the rules live in sqlite_store.cpp and the user
// documentation. Work is the private in-memory database.
enum class Mode { Read, Create, Overwrite, Update, Shared, Write, Direct, Work };

// Database-wide properties kept in the file.
struct DatabaseInfo {
    int64_t created_ms = 0;   // milliseconds since 1970-01-01T00:00 UTC
    int64_t modified_ms = 0;  // time of the last change
    std::string description;
    std::string documentation;
    int dimension = 0;
    int extra_dots = 0;
    int version = kFormatVersion;
};

// One object's catalog entry. `name` is the spelling given at creation (or
// rename); lookups match it case-insensitively.
struct ObjectRecord {
    std::string name;
    int object_class = 0;
    int type = 0;
    int frequency = 0;
    int basis = 0;
    int observed = 0;
    std::string description;
    std::string documentation;
    int64_t created_ms = 0;
    int64_t modified_ms = 0;
    std::optional<int32_t> first_index;  // none while the object holds no observation
    std::optional<int32_t> last_index;
    int numobs_hint = 0;  // preallocation hints (qzvalob)
    int numchr_hint = 0;
    double growth_hint = 0.0;
};

// A stored piece of an object's values, opaque to the catalog (the series
// room defines what a chunk holds). Copies move chunks unchanged.
struct Chunk {
    int64_t number = 0;
    std::string data;
};

class Store {
public:
    virtual ~Store() = default;

    virtual Mode mode() const = 0;
    bool writable() const { return mode() != Mode::Read; }

    // Operation scope: begin_change takes the write lock if needed
    // (HLOCKD after the busy timeout; HREADO on a read-only store);
    // end_change(true) keeps the operation, end_change(false) undoes it.
    virtual Status begin_change() = 0;
    virtual Status end_change(bool keep) = 0;

    virtual Status post() = 0;     // unposted changes become durable
    virtual Status restore() = 0;  // back to the last post
    virtual bool has_unposted() const = 0;
    virtual Status pack() = 0;     // compacts the file (no unposted changes allowed)
    // Ends the store: posts first when `post_first`, else discards.
    virtual Status close(bool post_first) = 0;

    virtual Status read_info(DatabaseInfo* info) = 0;
    virtual Status write_info(const DatabaseInfo& info) = 0;

    // Objects. find_object: HNOOBJ when absent. insert_object: HOEXI when
    // the name is taken (case-insensitively). update_object replaces the
    // record found under `name` (its name may change: a rename).
    virtual Status find_object(const std::string& name, ObjectRecord* record) = 0;
    virtual Status insert_object(const ObjectRecord& record) = 0;
    virtual Status update_object(const std::string& name, const ObjectRecord& record) = 0;
    virtual Status delete_object(const std::string& name) = 0;
    // Every object, in name order (case-insensitive).
    virtual Status list_objects(std::vector<ObjectRecord>* records) = 0;

    // An object's stored values (empty until the series room writes them).
    virtual Status read_chunks(const std::string& name, std::vector<Chunk>* chunks) = 0;
    virtual Status write_chunks(const std::string& name, const std::vector<Chunk>& chunks) = 0;
};

// Opens (or creates, per `mode`) the database file at `path`; Mode::Work
// ignores the path and opens a private in-memory database. Statuses:
// HBFILE (unusable name: empty, too long, a directory, no such folder),
// HRNEXI (must exist but does not), HCEXI (must not exist but does),
// HNZVDB (not a database of this engine), HBVER (newer format),
// HREADO (file not writable for a writing mode), HFUSE (another process
// holds the write lock past the busy timeout).
Status open_store(const std::string& path, Mode mode, std::unique_ptr<Store>* out);

// Current time in milliseconds since 1970-01-01T00:00 UTC.
int64_t now_ms();

}  // namespace store
}  // namespace crqx
