// Opening a database file and the transaction rules of the file-backed store.
#include "store/sqlite_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "store/schema.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

// Rows changed on this connection since it opened: the 64-bit count where
// the SQLite library has it (3.37 and newer), else the int one, which only
// wraps after 2**31 changes (a change compares counts for equality only).
int64_t total_changes(sqlite3* db) {
#if SQLITE_VERSION_NUMBER >= 3037000
    return sqlite3_total_changes64(db);
#else
    return sqlite3_total_changes(db);
#endif
}

// The descriptor is closed at once; where exec exists it must not leak into
// a child started meanwhile by another thread.
#ifdef O_CLOEXEC
constexpr int kCloseOnExec = O_CLOEXEC;
#else
constexpr int kCloseOnExec = 0;
#endif

// SQLite's own limit on a file name is 512 bytes.
constexpr size_t kMaxPathBytes = 511;

bool writes(Mode mode) { return mode != Mode::Read; }
bool must_exist(Mode mode) {
    return mode == Mode::Read || mode == Mode::Update || mode == Mode::Shared ||
           mode == Mode::Direct;
}

// Rejects names that cannot be a database file, and keeps SQLite from
// reading a name such as ":memory:" as anything but a file name. Only
// regular files are opened: a pipe would block the open for ever, and a
// device would get a journal created beside it.
Status check_path(const std::string& path, std::string* file) {
    if (path.empty()) return Status::Error(HBFILE, "the database name is empty");
    if (path.size() > kMaxPathBytes)
        return Status::Error(
            HBFILE, "the database name is longer than " + std::to_string(kMaxPathBytes) + " bytes");
    if (path.find('\0') != std::string::npos)
        return Status::Error(HBFILE, "the database name holds a NUL byte");
    *file = path[0] == ':' ? "./" + path : path;
    struct stat st;
    if (stat(file->c_str(), &st) != 0) return Status::OK();
    if (S_ISDIR(st.st_mode)) return Status::Error(HBFILE, "'" + path + "' is a directory");
    if (!S_ISREG(st.st_mode)) return Status::Error(HBFILE, "'" + path + "' is not a regular file");
    return Status::OK();
}

// The status for a failed system call on the file: running out of file
// descriptors says so, anything else is an unusable name.
Status system_error(int err, const std::string& what) {
    std::string text = what + ": " + std::strerror(err);
    if (err == EMFILE)
        return Status::Error(HMFILE, text + " (the process has too many open files)");
    if (err == ENFILE) return Status::Error(HNFILE, text + " (the system has too many open files)");
    return Status::Error(HBFILE, text);
}

// Creates the file if it does not exist; *created tells whether this call
// made it (an existing empty file is not ours to fill).
Status create_file(const std::string& file, bool exclusive, bool* created) {
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | kCloseOnExec, 0644);
    if (fd < 0 && errno == EEXIST) {
        if (exclusive) return Status::Error(HCEXI, "the database already exists");
        return Status::OK();
    }
    if (fd < 0) return system_error(errno, "cannot create '" + file + "'");
    *created = true;
    ::close(fd);
    return Status::OK();
}

Status check_existence(const std::string& file, Mode mode, bool* created) {
    *created = false;
    bool exists = access(file.c_str(), F_OK) == 0;
    if (must_exist(mode) && !exists) return Status::Error(HRNEXI, "the database does not exist");
    if (mode == Mode::Create) return create_file(file, true, created);
    if (writes(mode) && exists && access(file.c_str(), W_OK) != 0)
        return Status::Error(HREADO, "the database file is not writable");
    if (!exists) return create_file(file, false, created);
    return Status::OK();
}

Status configure(sqlite3* db, Mode mode, const StoreOptions& options) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, options.busy_timeout_ms);
    if (!writes(mode)) return Status::OK();
    // Pages of 8 KB hold short series' chunks with less room left over; it
    // takes effect only in a file that has no page yet (a new database).
    int rc = exec(db, "PRAGMA page_size=8192");
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "opening the database", HFUSE);
    // WAL: readers never block the writer, a post is one atomic append, and
    // a killed process leaves the last posted state intact.
    Statement wal(db, "PRAGMA journal_mode=WAL");
    rc = wal.step();
    if (rc != SQLITE_ROW) return sqlite_error(db, rc, "opening the database", HFUSE);
    const char* sync = options.durability == Durability::PowerLoss ? "PRAGMA synchronous=FULL"
                                                                   : "PRAGMA synchronous=NORMAL";
    rc = exec(db, sync);
    if (rc == SQLITE_OK) rc = exec(db, "PRAGMA foreign_keys=ON");
    // A change's savepoint keeps the pages it changes in a statement
    // journal: in memory, not a temporary file written for every change.
    if (rc == SQLITE_OK) rc = exec(db, "PRAGMA temp_store=MEMORY");
    return rc == SQLITE_OK ? Status::OK() : sqlite_error(db, rc, "configuring the database", HFUSE);
}

// Writes the fresh schema, or empties the database for overwrite mode, in
// one committed transaction.
Status initialise(sqlite3* db, Mode mode, bool fresh) {
    if (!fresh && mode != Mode::Overwrite) return Status::OK();
    int rc = exec(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "initialising the database", HFUSE);
    Status s = fresh ? create_schema(db, now_ms()) : reset_contents(db, now_ms());
    rc = s.ok() ? exec(db, "COMMIT") : SQLITE_OK;
    if (s.ok() && rc != SQLITE_OK) s = sqlite_error(db, rc, "initialising the database", HFUSE);
    if (!s.ok()) exec(db, "ROLLBACK");
    return s;
}

void close_connection(sqlite3** db) {
    forget_statements(*db);
    sqlite3_close_v2(*db);
    *db = nullptr;
}

Status open_connection(const std::string& uri, int flags, const StoreOptions& options, Mode mode,
                       sqlite3** db) {
    // The engine runs one call at a time (docs/engine.md, "Threads and
    // processes"): SQLite's own per-call locking of the connection is spared.
    int rc = sqlite3_open_v2(uri.c_str(), db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    Status s = rc == SQLITE_OK ? configure(*db, mode, options)
                               : sqlite_error(*db, rc, "opening '" + uri + "'", HFUSE);
    if (!s.ok()) close_connection(db);
    return s;
}

// A file name as an SQLite URI (bytes outside a safe set percent-encoded).
std::string file_uri(const std::string& file, const char* query) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : file) {
        if (std::isalnum(c) || std::strchr("/._-~", c) != nullptr) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri + "?" + query;
}

// Whether `path` exists with content: a WAL holding changes not yet merged.
bool has_content(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

// Opens the file for reading and tells what it holds. On read-only media
// SQLite cannot make the shared-memory file a reader of a WAL database
// needs; such a file is read as immutable, which is sound only while no
// unmerged WAL lies beside it.
Status open_reader(const std::string& file, const StoreOptions& options, sqlite3** db,
                   bool* fresh) {
    Status s = open_connection(file, SQLITE_OPEN_READONLY, options, Mode::Read, db);
    if (s.ok()) s = check_format(*db, fresh);
    if (s.ok() || (s.code() != HBFILE && s.code() != HREADO)) return s;
    if (*db != nullptr) close_connection(db);
    if (has_content(file + "-wal"))
        return Status::Error(HBFILE,
                             "'" + file +
                                 "' has changes in its -wal file that cannot be merged here "
                                 "(read-only media?)");
    CRQX_RETURN_IF_ERROR(open_connection(file_uri(file, "immutable=1"),
                                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, options,
                                         Mode::Read, db));
    return check_format(*db, fresh);
}

// Identifies the file before anything writes to it: only a database of
// ours, or an empty file this open has just created, may be written.
Status identify(const std::string& file, const StoreOptions& options, bool created,
                sqlite3** reader, bool* fresh) {
    Status s = open_reader(file, options, reader, fresh);
    if (s.ok() && *fresh && !created)
        s = Status::Error(HNZVDB, "the file is empty, not a database");
    if (!s.ok() && *reader != nullptr) close_connection(reader);
    return s;
}

Status open_file_store(const std::string& path, Mode mode, const StoreOptions& options,
                       std::unique_ptr<Store>* out) {
    std::string file;
    CRQX_RETURN_IF_ERROR(check_path(path, &file));
    bool created = false;
    CRQX_RETURN_IF_ERROR(check_existence(file, mode, &created));
    sqlite3* db = nullptr;
    bool fresh = false;
    Status s = identify(file, options, created, &db, &fresh);
    if (s.ok() && writes(mode)) {
        close_connection(&db);
        s = open_connection(file, SQLITE_OPEN_READWRITE, options, mode, &db);
        if (s.ok()) s = check_format(db, &fresh);  // the file may have changed since
        if (s.ok()) s = initialise(db, mode, fresh);
    }
    if (s.ok()) s = ensure_extra_tables(db, writes(mode));
    auto store = std::make_unique<SqliteStore>(db, mode);
    if (s.ok() && (mode == Mode::Update || mode == Mode::Write)) s = store->hold_write_lock();
    if (!s.ok()) {
        store.reset();
        if (created) unlink(file.c_str());  // a failed open leaves no new file behind
        return s;
    }
    *out = std::move(store);
    return Status::OK();
}

Status open_work_store(std::unique_ptr<Store>* out) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr);
    Status s = rc == SQLITE_OK ? create_schema(db, now_ms())
                               : sqlite_error(db, rc, "opening a work database", HFUSE);
    auto store = std::make_unique<SqliteStore>(db, Mode::Work);
    if (!s.ok()) return s;
    *out = std::move(store);
    return Status::OK();
}

}  // namespace

int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Status open_store(const std::string& path, Mode mode, const StoreOptions& options,
                  std::unique_ptr<Store>* out) {
    return mode == Mode::Work ? open_work_store(out) : open_file_store(path, mode, options, out);
}

SqliteStore::SqliteStore(sqlite3* db, Mode mode) : db_(db), mode_(mode) {
    if (db_ != nullptr) format_version(db_, &format_);
}

SqliteStore::~SqliteStore() {
    if (db_ != nullptr) close(false);
}

Status SqliteStore::begin_write(int busy_code) {
    end_scope_snapshot();  // a write lock is taken from no snapshot
    int rc = exec(db_, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return sqlite_error(db_, rc, "taking the write lock", busy_code);
    in_transaction_ = true;
    refresh_if_changed();  // the lock's snapshot may be newer than what is cached
    return Status::OK();
}

// A read scope outside a write transaction opens a read transaction before
// its first statement: that statement takes SQLite's read locks (and the
// snapshot) once for the whole call, where each statement on its own would
// take and release them. It lasts one call only, so the next call sees
// another process's posts and a writer's checkpoint is never held back for
// long. (A hinted lookup may run first on its own: see Prefetched.)
void SqliteStore::begin_read() {
    if (read_depth_++ > 0 || in_transaction_) return;
    read_pending_ = true;
}

void SqliteStore::end_read() {
    if (read_depth_ > 0) --read_depth_;
    if (read_depth_ > 0) return;
    expected_.reset();  // the hint ends with the scope, and what it fetched
    prefetched_.reset();
    end_scope_snapshot();
}

void SqliteStore::end_scope_snapshot() {
    read_pending_ = false;
    if (loose_) {
        loose_ = false;
        forget_found();  // found by that one statement only
    }
    if (read_open_) end_read_transaction();
}

Status SqliteStore::enter_snapshot() {
    if (!read_pending_) return Status::OK();
    read_pending_ = false;
    Statement begin(db_, "BEGIN");
    read_open_ = begin.step() == SQLITE_DONE;
    return loose_ ? confirm_loose_lookup() : Status::OK();
}

void SqliteStore::expect_chunk_span(int64_t first, int64_t last) {
    // Not for an older file: another process may upgrade it meanwhile,
    // which only the plain read notices.
    if (read_depth_ > 0 && format_ >= kFormatVersion) expected_ = ChunkSpan{first, last};
}

void SqliteStore::remember_found(std::string key, int64_t id, const ObjectRecord& record) {
    cached_key_ = std::move(key);
    cached_id_ = id;
    cached_record_ = record;
    prefetched_.reset();  // fetched with another lookup
}

void SqliteStore::forget_found() {
    cached_key_.clear();
    prefetched_.reset();
}

void SqliteStore::end_read_transaction() {
    read_open_ = false;
    forget_found();  // found in this snapshot only
    Statement commit(db_, "COMMIT");
    if (commit.step() != SQLITE_DONE && sqlite3_get_autocommit(db_) == 0) exec(db_, "ROLLBACK");
}

Status SqliteStore::hold_write_lock() {
    if (in_transaction_) return Status::OK();
    return begin_write(HFUSE);
}

void SqliteStore::forget_cached() {
    info_.reset();
    forget_found();
    format_version(db_, &format_);
}

void SqliteStore::refresh_if_changed() {
    Statement st(db_, "PRAGMA data_version");
    if (st.step() != SQLITE_ROW) return forget_cached();
    int64_t version = st.column_int(0);
    if (version == seen_version_) return;
    seen_version_ = version;
    forget_cached();
}

Status SqliteStore::prepare_change() {
    if (!writable()) return Status::Error(HREADO, "the database is open read-only");
    if (!in_transaction_) CRQX_RETURN_IF_ERROR(begin_write(HLOCKD));
    if (format_ >= kFormatVersion) return Status::OK();
    // The first change of a file of an older format upgrades it, in the
    // same transaction: posted with it or undone with it.
    Status s = upgrade_format(db_);
    if (!s.ok()) {
        finish("ROLLBACK", "upgrading the file format");
        if (holds_lock_for_session()) hold_write_lock();
        return s;
    }
    format_ = kFormatVersion;
    return Status::OK();
}

// A change that is the first of its transaction needs no savepoint: undoing
// the transaction undoes it alone. Later ones, and changes made within
// another, each open one (statements prepared once).
Status SqliteStore::begin_change() {
    CRQX_RETURN_IF_ERROR(prepare_change());
    int64_t writes = total_changes(db_);
    if (!dirty_ && changes_.empty()) {
        changes_.push_back({false, writes});
        return Status::OK();
    }
    Statement savepoint(db_, "SAVEPOINT change");
    int rc = savepoint.step();
    if (rc != SQLITE_DONE) return sqlite_error(db_, rc, "starting a change", HLOCKD);
    changes_.push_back({true, writes});
    return Status::OK();
}

// No savepoint (its journal copies every page the change touches): a
// failure before the first write leaves nothing to undo, and one after it
// can only be the storage's, which gives up the transaction.
Status SqliteStore::begin_plain_change() {
    if (!changes_.empty()) return begin_change();
    CRQX_RETURN_IF_ERROR(prepare_change());
    changes_.push_back({false, total_changes(db_)});
    return Status::OK();
}

// Undoes the change: back to its savepoint, or the whole transaction when it
// has none and wrote something, or when SQLite already gave the transaction
// up (it does on some storage failures). *whole tells which.
Status SqliteStore::undo_change(const OpenChange& change, bool* whole) {
    bool gone = sqlite3_get_autocommit(db_) != 0;
    bool wrote = total_changes(db_) != change.writes_before;
    *whole = gone || !change.savepoint;
    if (!*whole) {
        Statement back(db_, "ROLLBACK TO change");
        int rc = back.step();
        info_.reset();
        forget_found();
        return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "undoing a change", HLOCKD);
    }
    if (!gone && !wrote) {  // a change without savepoint that wrote nothing
        *whole = false;
        return Status::OK();
    }
    Status s = finish("ROLLBACK", "undoing a change");
    if (holds_lock_for_session()) hold_write_lock();
    return gone ? Status::OK() : s;
}

Status SqliteStore::end_change(bool keep) {
    OpenChange change = changes_.empty() ? OpenChange{false, 0} : changes_.back();
    if (!changes_.empty()) changes_.pop_back();
    bool whole = false;
    Status s = keep ? Status::OK() : undo_change(change, &whole);
    if (change.savepoint && !whole) {
        Statement release(db_, "RELEASE change");
        int rc = release.step();
        if (s.ok() && rc != SQLITE_DONE) s = sqlite_error(db_, rc, "ending a change", HLOCKD);
    }
    if (keep && s.ok()) {
        dirty_ = true;
        modified_ms_ = now_ms();
    }
    if (!changes_.empty() && !whole) return s;  // the enclosing change decides the rest
    changes_.clear();
    if (mode_ == Mode::Direct) return dirty_ ? post() : finish("ROLLBACK", "ending a change");
    // A shared store gives the lock back when it turns out to hold nothing.
    if (!dirty_ && !holds_lock_for_session()) return finish("ROLLBACK", "ending a change");
    return s;
}

Status SqliteStore::write_modified() {
    if (modified_ms_ == 0) return Status::OK();
    Statement st(db_, "UPDATE properties SET value = ?1 WHERE key = 'modified_ms'");
    int rc = st.bind(1, modified_ms_).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "dating the change", HLOCKD);
}

Status SqliteStore::finish(const char* sql, const char* what) {
    if (!in_transaction_) return Status::OK();
    bool commit = std::strcmp(sql, "COMMIT") == 0;
    int rc = exec(db_, sql);
    Status s = Status::OK();
    if (rc != SQLITE_OK) {
        // A failed COMMIT keeps the transaction; give it up rather than
        // leave the store in between.
        s = sqlite_error(db_, rc, what, HLOCKD);
        if (sqlite3_get_autocommit(db_) == 0) exec(db_, "ROLLBACK");
        commit = false;
    }
    in_transaction_ = dirty_ = false;
    changes_.clear();
    modified_ms_ = 0;
    forget_found();  // valid within one write transaction only
    if (!commit) forget_cached();
    return s;
}

Status SqliteStore::post() {
    Status s = Status::OK();
    if (dirty_) {
        s = write_modified();
        s = s.ok() ? finish("COMMIT", "posting") : (finish("ROLLBACK", "posting"), s);
    }
    if (holds_lock_for_session()) hold_write_lock();  // else retaken at the next change
    return s;
}

Status SqliteStore::restore() {
    if (!dirty_) return Status::OK();
    Status s = finish("ROLLBACK", "restoring");
    if (holds_lock_for_session()) hold_write_lock();
    return s;
}

Status SqliteStore::pack() {
    if (!writable()) return Status::Error(HREADO, "the database is open read-only");
    if (dirty_)
        return Status::Error(HNPOST, "the database has unposted changes; post or restore first");
    CRQX_RETURN_IF_ERROR(finish("ROLLBACK", "packing"));
    // Damage is reported, never copied into a fresh file.
    Status checked = check_file();
    if (!checked.ok()) {
        if (holds_lock_for_session()) hold_write_lock();
        return checked;
    }
    if (format_ < kFormatVersion) {
        CRQX_RETURN_IF_ERROR(begin_change());
        CRQX_RETURN_IF_ERROR(finish("COMMIT", "upgrading the file format"));
    }
    int rc = exec(db_, "VACUUM");
    Status s = rc == SQLITE_OK ? Status::OK() : sqlite_error(db_, rc, "packing", HLOCKD);
    if (holds_lock_for_session()) hold_write_lock();
    return s;
}

Status SqliteStore::close(bool post_first) {
    Status s = post_first ? post() : Status::OK();
    end_scope_snapshot();
    finish("ROLLBACK", "closing");
    forget_statements(db_);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return s;
}

}  // namespace store
}  // namespace crqx
