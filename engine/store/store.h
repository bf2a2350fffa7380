// The storage interface: one database behind a narrow set of operations.
// This header is the whole contract between the rooms above and a store:
// nothing above the store reaches the storage library underneath (SQLite
// for the file-backed store in sqlite_*.cpp), so a second store, such as
// one on a database server, stands beside the first by implementing Store
// and an open function, and every room works on either. Every method
// returns a Status; none throws on a user-level failure.
//
// Transactions. A store keeps its unposted changes in one open transaction:
// they are visible to this store at once, made durable by post(), and
// discarded by restore() or by close() without posting. Each operation that
// changes the database runs inside begin_change()/end_change(), which makes
// that one operation all-or-nothing (a failed operation leaves no trace).
//
// Names. Objects, aliases and attributes are matched case-insensitively, by
// name_key(); a store keeps the spelling it was given.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"

namespace crqx {
namespace store {

// The version of the file format this engine writes (zavo_get_dbversion).
// Files of format 1 are read as they are and upgraded by the first change.
constexpr int kFormatVersion = 3;

// The key under which lookups match a name: ASCII letters folded to upper
// case, every other byte unchanged.
std::string name_key(const std::string& name);

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
// The columns of an object record in both stores' object tables, in the
// order of ObjectRecord's members.
inline constexpr char kObjectColumns[] =
    "name, class, type, frequency, basis, observed, description, documentation, created_ms,"
    " modified_ms, first_index, last_index, numobs_hint, numchr_hint, growth_hint";

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

// What a name search hands out of each object it finds: its record's
// name, class, type, frequency and span.
struct ObjectSummary {
    std::string name;
    int object_class = 0;
    int type = 0;
    int frequency = 0;
    std::optional<int32_t> first_index;
    std::optional<int32_t> last_index;
};

// A stored piece of an object's values, opaque to the catalog (the series
// room defines what a chunk holds, series/chunk_codec.h). Copies move chunks
// unchanged. Chunk bytes begin with a 4-byte header (first slot held, slots
// held: little-endian uint16 each); format 1 kept whole chunks of 1024 slots
// without it, which a store of such a file hands out with kWholeChunkHeader
// in front.
constexpr char kWholeChunkHeader[] = {0, 0, 0, 4};  // slots 0..1023
struct Chunk {
    int64_t number = 0;
    std::string data;
};

// A user attribute of an object. Numbers travel as 64-bit patterns so that
// every value (negative zero, any float or double) comes back bit for bit:
// numeric and precision hold the bits of a double (a numeric's float widened
// exactly), boolean and date hold the integer itself. `type` is HNUMRC,
// HPRECN, HBOOLN, HSTRNG, HNAMEL or HDATE; `frequency` belongs to dates.
struct AttributeRecord {
    std::string name;  // as first given; matched case-insensitively
    int type = 0;
    int frequency = 0;
    int64_t number = 0;
    std::string text;  // string and namelist values
};

// The name lists an object carries besides its values; a namelist
// object's value is its Elements list.
enum class NameList { Aliases, Associations, Elements };

// The table of each name list in both stores (the server's in its schema),
// and its name column.
inline const char* name_list_table(NameList list) {
    switch (list) {
        case NameList::Aliases: return "aliases";
        case NameList::Associations: return "associations";
        default: return "namelist_elements";
    }
}
inline const char* name_list_column(NameList list) {
    return list == NameList::Aliases ? "alias" : "name";
}

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
    // Like begin_change, for an operation that fails after its first write
    // only when the storage itself fails (an I/O error, a full disk; its own
    // checks all come before): a store may spare the savepoint, and then
    // such a failure discards every unposted change, not this one alone.
    virtual Status begin_plain_change() { return begin_change(); }

    // Read scope: the lookups and reads of one call between begin_read and
    // end_read see one state of the database, and a store may take its read
    // locks once for all of them instead of once per statement. Scopes nest;
    // a change begun inside one ends the scope's own snapshot first.
    virtual void begin_read() {}
    virtual void end_read() {}
    // A hint within a read scope: the next object looked up will have its
    // chunks first..last read next, so a store may fetch them together (one
    // statement instead of two). The hint ends with the scope.
    virtual void expect_chunk_span(int64_t first, int64_t last) {
        (void)first;
        (void)last;
    }

    virtual Status post() = 0;     // unposted changes become durable
    virtual Status restore() = 0;  // back to the last post
    virtual bool has_unposted() const = 0;
    virtual Status pack() = 0;  // compacts the file (no unposted changes allowed)
    // Verifies the whole stored database (structure and every checksum it
    // keeps): HIFAIL naming what is damaged.
    virtual Status check_file() { return Status::OK(); }
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
    // The objects whose name keys (name_key) lie in [from, to) (`to` empty:
    // no upper bound) and pass `wanted` (empty: every key in the range), in
    // name order. A store may test `wanted` on the key alone and load only
    // the records that pass.
    virtual Status find_objects(const std::string& from, const std::string& to,
                                const std::function<bool(const std::string& key)>& wanted,
                                std::vector<ObjectSummary>* found) {
        std::vector<ObjectRecord> all;
        CRQX_RETURN_IF_ERROR(list_objects(&all));
        for (ObjectRecord& r : all) {
            std::string key = name_key(r.name);
            if (key >= from && (to.empty() || key < to) && (!wanted || wanted(key)))
                found->push_back({std::move(r.name), r.object_class, r.type, r.frequency,
                                  r.first_index, r.last_index});
        }
        return Status::OK();
    }

    // An object's stored values (no chunks until the series room writes
    // them). read_chunk_span appends the chunks numbered first..last in
    // chunk order (chunks never written are absent); write_chunks adds or
    // replaces chunks, bytes unchanged. Deleting an object deletes its chunks.
    virtual Status read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                   std::vector<Chunk>* chunks) = 0;
    virtual Status write_chunks(const std::string& name, const std::vector<Chunk>& chunks) = 0;
    // Every chunk of an object (a copy moves them unchanged).
    Status read_chunks(const std::string& name, std::vector<Chunk>* chunks) {
        return read_chunk_span(name, INT64_MIN, INT64_MAX, chunks);
    }

    // Attributes of the object `object` names (a name or an alias; HNOOBJ
    // when none). find_attribute: HBATTR when the object has no such
    // attribute. write_attribute adds or replaces it. list_attributes: in
    // name order.
    virtual Status find_attribute(const std::string& object, const std::string& name,
                                  AttributeRecord* record) = 0;
    virtual Status write_attribute(const std::string& object, const AttributeRecord& record) = 0;
    virtual Status list_attributes(const std::string& object,
                                   std::vector<AttributeRecord>* records) = 0;

    // One of an object's name lists, in the order it was set.
    // write_names replaces the whole list; an alias must not be taken by
    // an object's name or another object's alias (HOEXI).
    virtual Status read_names(const std::string& object, NameList list,
                              std::vector<std::string>* names) = 0;
    virtual Status write_names(const std::string& object, NameList list,
                               const std::vector<std::string>& names) = 0;
};

// A read scope for the length of a block (see Store::begin_read).
class ReadScope {
public:
    explicit ReadScope(Store& store) : store_(store) { store_.begin_read(); }
    ~ReadScope() { store_.end_read(); }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    Store& store_;
};

// What the caller decides for a store it opens (the session's options).
enum class Durability {
    Process,    // a post survives a crash or kill of the process
    PowerLoss,  // it also survives a power loss or an operating-system crash
};
struct StoreOptions {
    int busy_timeout_ms = 2000;  // how long to wait for another process's lock
    Durability durability = Durability::PowerLoss;
};

// Opens (or creates, per `mode`) the database file at `path`; Mode::Work
// ignores the path and opens a private in-memory database. Statuses:
// HBFILE (unusable name: empty, too long, a directory, no such folder),
// HRNEXI (must exist but does not), HCEXI (must not exist but does),
// HNZVDB (not a database of this engine), HBVER (newer format),
// HREADO (file not writable for a writing mode), HFUSE (another process
// holds the write lock past the busy timeout).
Status open_store(const std::string& path, Mode mode, const StoreOptions& options,
                  std::unique_ptr<Store>* out);

// Current time in milliseconds since 1970-01-01T00:00 UTC.
int64_t now_ms();

}  // namespace store
}  // namespace crqx
