#include "store/sqlite_util.h"

#include <cerrno>
#include <unordered_map>

namespace crqx {
namespace store {
namespace {

struct Kept {
    sqlite3_stmt* stmt;
    bool in_use;
};

// Per connection, per SQL text. Nodes never move, so flags can be pointed
// to. Most texts are literals or static strings whose address stays the
// same: the address finds the kept statement without hashing the text,
// and a comparison of the texts makes sure it is the same one.
struct KeptStatements {
    std::unordered_map<std::string, Kept> by_text;
    std::unordered_map<const char*, std::pair<const std::string*, Kept*>> by_address;
};

std::unordered_map<sqlite3*, KeptStatements>& kept() {
    static std::unordered_map<sqlite3*, KeptStatements> statements;
    return statements;
}

// Texts built at run time come at ever new addresses: the table of
// addresses is emptied when it outgrows the texts.
void remember_address(KeptStatements& mine, const char* sql,
                      std::pair<const std::string*, Kept*> entry) {
    if (mine.by_address.size() > 4 * mine.by_text.size() + 64) mine.by_address.clear();
    mine.by_address[sql] = entry;
}

Kept* find_kept(KeptStatements& mine, const char* sql) {
    auto seen = mine.by_address.find(sql);
    if (seen != mine.by_address.end() && *seen->second.first == sql) return seen->second.second;
    auto it = mine.by_text.find(sql);
    if (it == mine.by_text.end()) return nullptr;
    remember_address(mine, sql, {&it->first, &it->second});
    return &it->second;
}

}  // namespace

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    KeptStatements& mine = kept()[db];
    Kept* found = find_kept(mine, sql);
    if (found != nullptr && !found->in_use) {
        stmt_ = found->stmt;
        kept_in_use_ = &found->in_use;
        *kept_in_use_ = true;
        return;
    }
    prepare_rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (stmt_ != nullptr && found == nullptr) {
        auto added = mine.by_text.emplace(sql, Kept{stmt_, true}).first;
        remember_address(mine, sql, {&added->first, &added->second});
        kept_in_use_ = &added->second.in_use;
    }
}

Statement::~Statement() {
    if (kept_in_use_ == nullptr) {
        sqlite3_finalize(stmt_);
        return;
    }
    sqlite3_reset(stmt_);  // ends its read, so it holds no lock while kept
    sqlite3_clear_bindings(stmt_);
    *kept_in_use_ = false;
}

void forget_statements(sqlite3* db) {
    auto found = kept().find(db);
    if (found == kept().end()) return;
    for (auto& entry : found->second.by_text) sqlite3_finalize(entry.second.stmt);
    kept().erase(found);
}

Statement& Statement::bind(int index, int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    sqlite3_bind_double(stmt_, index, value);
    return *this;
}

Statement& Statement::bind(int index, const std::string& value) {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind_static(int index, const std::string& value) {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
    return *this;
}

Statement& Statement::bind_blob(int index, const std::string& bytes) {
    sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind_blob_static(int index, const std::string& bytes) {
    sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    return *this;
}

Statement& Statement::bind_null(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
}

int Statement::step() { return stmt_ == nullptr ? prepare_rc_ : sqlite3_step(stmt_); }

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int64_t Statement::column_int(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::column_double(int column) const { return sqlite3_column_double(stmt_, column); }

std::string Statement::column_text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int n = sqlite3_column_bytes(stmt_, column);
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text), n);
}

std::string Statement::column_blob(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    int n = sqlite3_column_bytes(stmt_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), n);
}

bool Statement::column_is_null(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

namespace {

// SQLite tells why a file could not be opened only by the system error:
// running out of file descriptors has statuses of its own.
Status cannot_open(sqlite3* db, const std::string& text) {
    int err = db != nullptr ? sqlite3_system_errno(db) : 0;
    if (err == EMFILE)
        return Status::Error(HMFILE, text + " (the process has too many open files)");
    if (err == ENFILE) return Status::Error(HNFILE, text + " (the system has too many open files)");
    return Status::Error(HBFILE, text);
}

}  // namespace

int exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

Status sqlite_error(sqlite3* db, int rc, const std::string& what, int busy_code) {
    std::string text = what + ": " + (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Status::Error(busy_code, what + ": the database is locked by another writer");
        case SQLITE_READONLY: return Status::Error(HREADO, text);
        case SQLITE_FULL: return Status::Error(HQUOTA, text);
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT: return Status::Error(HNZVDB, text);
        case SQLITE_CANTOPEN: return cannot_open(db, text);
        case SQLITE_NOMEM: return Status::Error(HNOMEM, text);
        default: return Status::Error(HIFAIL, text);
    }
}

}  // namespace store
}  // namespace crqx
