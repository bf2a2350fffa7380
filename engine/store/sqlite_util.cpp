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

// Per connection, per SQL text. Nodes never move, so flags can be pointed to.
using KeptStatements = std::unordered_map<std::string, Kept>;

std::unordered_map<sqlite3*, KeptStatements>& kept() {
    static std::unordered_map<sqlite3*, KeptStatements> statements;
    return statements;
}

}  // namespace

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    KeptStatements& mine = kept()[db];
    auto it = mine.find(sql);
    if (it != mine.end() && !it->second.in_use) {
        stmt_ = it->second.stmt;
        kept_in_use_ = &it->second.in_use;
        *kept_in_use_ = true;
        return;
    }
    prepare_rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (stmt_ != nullptr && it == mine.end()) {
        Kept& k = mine.emplace(sql, Kept{stmt_, true}).first->second;
        kept_in_use_ = &k.in_use;
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
    for (auto& entry : found->second) sqlite3_finalize(entry.second.stmt);
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
