// The open databases of the session, by key. Keys are handed out in
// increasing order and never reused within a process, so a closed key stays
// invalid (HBKEY) instead of silently naming a later database.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/store.h"

namespace crqx {
namespace store {

struct Database {
    int key = 0;
    std::string name;      // as the caller gave it
    std::string identity;  // device and inode of the file ("" for work databases)
    Mode mode = Mode::Read;
    int connection = 0;  // the connection it was opened through (0: none)
    std::unique_ptr<Store> store;
};

// Opens `name` in `mode` with the caller's options and registers it; the
// new key in *key. Besides open_store's statuses: HFUSE when the file is
// already open in this session and either opening writes. `connection`
// records the connection the database is opened through (0: opened
// directly).
Status open_database(const std::string& name, Mode mode, const StoreOptions& options, int* key,
                     int connection = 0);

class PgLink;

// Opens the database `name` on the server that `link` reaches (see
// open_server_store) and registers it like open_database.
Status open_server_database(const std::shared_ptr<PgLink>& link, const std::string& name, Mode mode,
                            const StoreOptions& options, int* key, int connection = 0);

// The keys of the open databases opened through `connection`, in key order.
std::vector<int> databases_of_connection(int connection);

// The keys of every open database, in key order (the order of opening).
std::vector<int> open_keys();

// How texts name a database: "database 3 ('/data/prices.crqx')", or "work
// database 4" for one without a name.
std::string database_label(const Database& db);

// The open database with `key`, or HBKEY.
Status find_database(int key, Database** database);

// Closes and forgets `key` (HBKEY if unknown), posting first when
// `post_first`; the key is invalid afterwards even if posting failed.
Status close_database(int key, bool post_first);

// Closes every database (the session is ending: its owner calls this).
void close_all(bool post_first);

// The access mode for a mode code of the C interface, or HBMODE.
Status mode_from_code(int code, Mode* mode);

}  // namespace store
}  // namespace crqx
