// Thin RAII helpers over the SQLite C API for the file-backed store.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "store/status.h"

namespace crqx {
namespace store {

// A prepared statement, finalized on destruction. Bind indexes start at 1.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return stmt_ != nullptr; }
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, double value);
    Statement& bind(int index, const std::string& value);
    Statement& bind_null(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    int64_t column_int(int column) const;
    double column_double(int column) const;
    std::string column_text(int column) const;
    bool column_is_null(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    int prepare_rc_;
};

// Runs SQL text without results; the SQLite result code.
int exec(sqlite3* db, const char* sql);

// A Status for a failed SQLite call: busy/locked become `busy_code`,
// read-only HREADO, full disk HQUOTA, corruption HNZVDB, anything else
// HIFAIL; the message names `what` and SQLite's own text.
Status sqlite_error(sqlite3* db, int rc, const std::string& what, int busy_code);

}  // namespace store
}  // namespace crqx
