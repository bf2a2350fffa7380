// Connections to a service. The engine offers one service, the in-process
// local service: databases opened through a connection are ordinary files
// of this process, and the connection commits (posts) or aborts (restores)
// them together. Keys are handed out in increasing order and never reused
// within a process, so a closed key stays invalid (HBCONN).
#pragma once

#include <string>

#include "core/status.h"

namespace crqx {
namespace connections {

struct Connection {
    int key = 0;
    std::string default_database;  // named by "LOCAL:<path>" ("" when none)
};

// What a service name asks for: the local service, with an optional
// default database. HBSRVR for any other service.
Status parse_service(const std::string& service, std::string* default_database);

// A service-qualified database name "LOCAL:<path>": the path. HBSRVR for
// any other form.
Status parse_served_name(const std::string& svname, std::string* path);

// Opens a connection to `service` on `hostname`; the new key in *key.
// HBSRVR: unknown service; HNETCN: a host other than this machine.
Status open_connection(const std::string& service, const std::string& hostname, int* key);

// The open connection `key`, or HBCONN.
Status find_connection(int key, Connection** connection);

// Closes every database of the connection (posting first when
// `post_first`) and forgets the connection, even when a close failed. The
// first failure is returned.
Status close_connection(int key, bool post_first);

// Posts every database of the connection, in key order, stopping at the
// first failure (the earlier ones stay posted, the rest keep their work).
Status commit(int key);

// Restores every database of the connection; the first failure is
// returned, the others are restored all the same.
Status abort(int key);

}  // namespace connections
}  // namespace crqx
