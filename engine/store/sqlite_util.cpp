#include "store/sqlite_util.h"

namespace crqx {
namespace store {

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    prepare_rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

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

Statement& Statement::bind_null(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
}

int Statement::step() { return stmt_ == nullptr ? prepare_rc_ : sqlite3_step(stmt_); }

int64_t Statement::column_int(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::column_double(int column) const { return sqlite3_column_double(stmt_, column); }

std::string Statement::column_text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    int n = sqlite3_column_bytes(stmt_, column);
    return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text), n);
}

bool Statement::column_is_null(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

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
        case SQLITE_CANTOPEN: return Status::Error(HBFILE, text);
        case SQLITE_NOMEM: return Status::Error(HNOMEM, text);
        default: return Status::Error(HIFAIL, text);
    }
}

}  // namespace store
}  // namespace crqx
