// Opening a database file and the transaction rules of the file-backed store.
#include "store/sqlite_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "store/schema.h"
#include "store/sqlite_util.h"

namespace crqx {
namespace store {
namespace {

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
    return mode == Mode::Read || mode == Mode::Update || mode == Mode::Shared || mode == Mode::Direct;
}

// Rejects names that cannot be a database file, and keeps SQLite from
// reading a name such as ":memory:" as anything but a file name.
Status check_path(const std::string& path, std::string* file) {
    if (path.empty()) return Status::Error(HBFILE, "the database name is empty");
    if (path.size() > kMaxPathBytes)
        return Status::Error(HBFILE, "the database name is longer than " + std::to_string(kMaxPathBytes) + " bytes");
    if (path.find('\0') != std::string::npos) return Status::Error(HBFILE, "the database name holds a NUL byte");
    *file = path[0] == ':' ? "./" + path : path;
    struct stat st;
    if (stat(file->c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return Status::Error(HBFILE, "'" + path + "' is a directory");
    return Status::OK();
}

// Creates the file if it does not exist; *created tells whether we did.
Status create_file(const std::string& file, bool exclusive, bool* created) {
    int flags = O_RDWR | O_CREAT | kCloseOnExec | (exclusive ? O_EXCL : 0);
    int fd = ::open(file.c_str(), flags, 0644);
    if (fd < 0 && errno == EEXIST) return Status::Error(HCEXI, "the database already exists");
    if (fd < 0) return Status::Error(HBFILE, "cannot create '" + file + "': " + std::strerror(errno));
    struct stat st;
    *created = fstat(fd, &st) == 0 && st.st_size == 0;
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
    // WAL: readers never block the writer, a post is one atomic append, and
    // a killed process leaves the last posted state intact.
    Statement wal(db, "PRAGMA journal_mode=WAL");
    int rc = wal.step();
    if (rc != SQLITE_ROW) return sqlite_error(db, rc, "opening the database", HFUSE);
    const char* sync = options.durability == Durability::PowerLoss ? "PRAGMA synchronous=FULL"
                                                                   : "PRAGMA synchronous=NORMAL";
    rc = exec(db, sync);
    if (rc == SQLITE_OK) rc = exec(db, "PRAGMA foreign_keys=ON");
    return rc == SQLITE_OK ? Status::OK() : sqlite_error(db, rc, "configuring the database", HFUSE);
}

// Writes the fresh schema, or empties the database for overwrite mode, in
// one committed transaction.
Status initialise(sqlite3* db, Mode mode, bool fresh) {
    if (!fresh && mode != Mode::Overwrite) return Status::OK();
    if (fresh && must_exist(mode)) return Status::Error(HNZVDB, "the file is empty, not a database");
    int rc = exec(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return sqlite_error(db, rc, "initialising the database", HFUSE);
    Status s = fresh ? create_schema(db, now_ms()) : reset_contents(db, now_ms());
    rc = s.ok() ? exec(db, "COMMIT") : SQLITE_OK;
    if (s.ok() && rc != SQLITE_OK) s = sqlite_error(db, rc, "initialising the database", HFUSE);
    if (!s.ok()) exec(db, "ROLLBACK");
    return s;
}

Status open_connection(const std::string& file, Mode mode, const StoreOptions& options, sqlite3** db) {
    int flags = (writes(mode) ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_FULLMUTEX;
    int rc = sqlite3_open_v2(file.c_str(), db, flags, nullptr);
    if (rc != SQLITE_OK) return sqlite_error(*db, rc, "opening '" + file + "'", HFUSE);
    return configure(*db, mode, options);
}

Status open_file_store(const std::string& path, Mode mode, const StoreOptions& options,
                       std::unique_ptr<Store>* out) {
    std::string file;
    CRQX_RETURN_IF_ERROR(check_path(path, &file));
    bool created = false;
    CRQX_RETURN_IF_ERROR(check_existence(file, mode, &created));
    sqlite3* db = nullptr;
    bool fresh = false;
    Status s = open_connection(file, mode, options, &db);
    if (s.ok()) s = check_format(db, &fresh);
    if (s.ok()) s = initialise(db, mode, fresh);
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
    Status s = rc == SQLITE_OK ? create_schema(db, now_ms()) : sqlite_error(db, rc, "opening a work database", HFUSE);
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

Status open_store(const std::string& path, Mode mode, const StoreOptions& options, std::unique_ptr<Store>* out) {
    return mode == Mode::Work ? open_work_store(out) : open_file_store(path, mode, options, out);
}

SqliteStore::SqliteStore(sqlite3* db, Mode mode) : db_(db), mode_(mode) {}

SqliteStore::~SqliteStore() {
    if (db_ != nullptr) close(false);
}

Status SqliteStore::begin_write(int busy_code) {
    int rc = exec(db_, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return sqlite_error(db_, rc, "taking the write lock", busy_code);
    in_transaction_ = true;
    return Status::OK();
}

Status SqliteStore::hold_write_lock() {
    if (in_transaction_) return Status::OK();
    return begin_write(HFUSE);
}

Status SqliteStore::begin_change() {
    if (!writable()) return Status::Error(HREADO, "the database is open read-only");
    if (!in_transaction_) CRQX_RETURN_IF_ERROR(begin_write(HLOCKD));
    int rc = exec(db_, "SAVEPOINT change");
    return rc == SQLITE_OK ? Status::OK() : sqlite_error(db_, rc, "starting a change", HLOCKD);
}

Status SqliteStore::touch_modified() {
    Statement st(db_, "UPDATE properties SET value = ?1 WHERE key = 'modified_ms'");
    int rc = st.bind(1, now_ms()).step();
    return rc == SQLITE_DONE ? Status::OK() : sqlite_error(db_, rc, "dating the change", HLOCKD);
}

Status SqliteStore::end_change(bool keep) {
    Status s = keep ? touch_modified() : Status::OK();
    if (!keep || !s.ok()) exec(db_, "ROLLBACK TO change");
    int rc = exec(db_, "RELEASE change");
    if (s.ok() && rc != SQLITE_OK) s = sqlite_error(db_, rc, "ending a change", HLOCKD);
    if (keep && s.ok()) dirty_ = true;
    if (mode_ == Mode::Direct) return dirty_ ? post() : finish("ROLLBACK", "ending a change");
    // A shared store gives the lock back when it turns out to hold nothing.
    if (!dirty_ && !holds_lock_for_session()) return finish("ROLLBACK", "ending a change");
    return s;
}

Status SqliteStore::finish(const char* sql, const char* what) {
    if (!in_transaction_) return Status::OK();
    int rc = exec(db_, sql);
    if (rc != SQLITE_OK) {
        // A failed COMMIT keeps the transaction; give it up rather than
        // leave the store in between.
        Status s = sqlite_error(db_, rc, what, HLOCKD);
        if (sqlite3_get_autocommit(db_) == 0) exec(db_, "ROLLBACK");
        in_transaction_ = dirty_ = false;
        return s;
    }
    in_transaction_ = dirty_ = false;
    return Status::OK();
}

Status SqliteStore::post() {
    Status s = dirty_ ? finish("COMMIT", "posting") : Status::OK();
    if (s.ok() && holds_lock_for_session()) hold_write_lock();  // else retaken at the next change
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
    if (dirty_) return Status::Error(HNPOST, "the database has unposted changes; post or restore first");
    CRQX_RETURN_IF_ERROR(finish("ROLLBACK", "packing"));
    int rc = exec(db_, "VACUUM");
    Status s = rc == SQLITE_OK ? Status::OK() : sqlite_error(db_, rc, "packing", HLOCKD);
    if (holds_lock_for_session()) hold_write_lock();
    return s;
}

Status SqliteStore::close(bool post_first) {
    Status s = post_first ? post() : Status::OK();
    finish("ROLLBACK", "closing");
    forget_statements(db_);
    sqlite3_close_v2(db_);
    db_ = nullptr;
    return s;
}

}  // namespace store
}  // namespace crqx
