// The file format of a database: its tables, how a file is recognised as
// one of ours, and its version. Documented in docs/engine.md.
#pragma once

#include <sqlite3.h>

#include <string>

#include "core/status.h"
#include "store/store.h"

namespace crqx {
namespace store {

// Marks our files (PRAGMA application_id): "CRQX".
constexpr int kApplicationId = 0x43525158;

// Creates the tables and the initial properties in an empty database; runs
// inside the caller's transaction.
Status create_schema(sqlite3* db, int64_t created_ms);

// Empties every table and resets the properties (overwrite mode); runs
// inside the caller's transaction.
Status reset_contents(sqlite3* db, int64_t created_ms);

// The tables of attributes and name lists, added to files that
// predate them without a change of format version: created when missing
// in a writable database, and as empty temporary tables when a read-only
// one lacks them (so reads find nothing instead of failing).
Status ensure_extra_tables(sqlite3* db, bool writable);

// Empties those tables (overwrite mode); runs inside the caller's
// transaction.
Status clear_extra_tables(sqlite3* db);

// The format version of the file (PRAGMA user_version).
Status format_version(sqlite3* db, int* version);

// Brings a file of an older format to kFormatVersion in the caller's
// transaction (nothing to do for a current one). Format 1 -> 2: every value
// chunk moves from value_chunks (WITHOUT ROWID, whole chunks) to chunks,
// gaining the slot header and its checksum. Format 2 -> 3: objects gain the
// columns of an inline chunk (empty: every chunk stays where it is). Then
// the version is set.
Status upgrade_format(sqlite3* db);

// HSUCC for a database of ours in a format this engine reads, HNZVDB for
// any other file, HBVER for a newer format. An empty file counts as "fresh"
// (ours to initialise) and sets *fresh.
Status check_format(sqlite3* db, bool* fresh);

}  // namespace store
}  // namespace crqx
