// Connections to a service. The in-process local service: databases opened
// through a connection are ordinary files of this process, and the
// connection commits (posts) or aborts (restores) them together. The
// PostgreSQL service ("PG"): the connection is one link to the server, its
// databases live there and share the link's single transaction, so a commit
// or an abort covers all of them at once. Keys are handed out in increasing
// order and never reused within a process, so a closed key stays invalid
// (HBCONN).
#pragma once

#include <memory>
#include <string>

#include "connections/assertions.h"
#include "core/status.h"

namespace crqx {

namespace store {
class PgLink;
}

namespace connections {

struct Connection {
    int key = 0;
    // Named by "LOCAL:<path>" or "PG:<database>" ("" when none).
    std::string default_database;
    std::shared_ptr<store::PgLink> server;  // null for the local service
    // A server connection's assertions, which its link checks (null for
    // the local service, which keeps none).
    std::shared_ptr<Assertions> assertions;
};

// What a service name asks for: the local service or the PostgreSQL one,
// each with an optional default database. HBSRVR for any other service.
Status parse_service(const std::string& service, bool* server, std::string* default_database);

// A service-qualified database name: "LOCAL:<path>" (the file) or
// "PG:<database>@<hostname>" (a database on a server). HBSRVR for any
// other form.
struct ServedName {
    bool server = false;
    std::string database;  // the path, or the name on the server
    std::string hostname;  // the server's hostname form
};
Status parse_served_name(const std::string& svname, ServedName* served);

// Opens a connection to `service` on `hostname`; the new key in *key.
// HBSRVR: unknown service; HNETCN: for the local service a host other
// than this machine, for the server an unreachable one; HBUSER: the
// server refused the user or password (which is not kept).
Status open_connection(const std::string& service, const std::string& hostname,
                       const std::string& username, const std::string& password, int* key);

// The open connection `key`, or HBCONN.
Status find_connection(int key, Connection** connection);

// Closes every database of the connection (posting first when
// `post_first`) and forgets the connection, even when a close failed. The
// first failure is returned.
Status close_connection(int key, bool post_first);

// Posts every database of the connection, in key order, stopping at the
// first failure (the earlier ones stay posted, the rest keep their work);
// on a server, commits the connection's one transaction.
Status commit(int key);

// Restores every database of the connection; the first failure is
// returned, the others are restored all the same. On a server, rolls the
// connection's transaction back.
Status abort(int key);

}  // namespace connections
}  // namespace crqx
