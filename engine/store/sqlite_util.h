// Thin RAII helpers over the SQLite C API for the file-backed store.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "core/status.h"

namespace crqx {
namespace store {

// A prepared statement. Bind indexes start at 1. Statements are kept per
// connection and SQL text once prepared (preparing costs more than most
// small calls): a Statement borrows the kept one when it is free and hands
// it back reset, so every use starts from a clean statement.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return stmt_ != nullptr; }
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, double value);
    Statement& bind(int index, const std::string& value);  // as text
    // As text, without copying it: it must outlive the step.
    Statement& bind_static(int index, const std::string& value);
    Statement& bind_blob(int index, const std::string& bytes);
    // Binds the bytes without copying them: they must outlive the step.
    Statement& bind_blob_static(int index, const std::string& bytes);
    Statement& bind_null(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Ready to step again from the start (bindings cleared).
    void reset();
    int64_t column_int(int column) const;
    double column_double(int column) const;
    std::string column_text(int column) const;
    std::string column_blob(int column) const;
    bool column_is_null(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    int prepare_rc_ = SQLITE_OK;
    bool* kept_in_use_ = nullptr;  // the kept statement's flag, when borrowed
};

// Finalizes the statements kept for `db`; call before closing it.
void forget_statements(sqlite3* db);

// Runs SQL text without results; the SQLite result code.
int exec(sqlite3* db, const char* sql);

// A Status for a failed SQLite call: busy/locked become `busy_code`,
// read-only HREADO, full disk HQUOTA, corruption HNZVDB, no file
// descriptor left HMFILE/HNFILE, another unopenable file HBFILE, anything else
// HIFAIL; the message names `what` and SQLite's own text.
Status sqlite_error(sqlite3* db, int rc, const std::string& what, int busy_code);

}  // namespace store
}  // namespace crqx
