// The connection functions of the C interface: open and close connections
// to the local service or a PostgreSQL server, commit and abort their
// databases, and the opens that go through a connection or a served name.
#include "connections/connections.h"
#include "api/status_report.h"
#include "crqx.h"
#include "session/session.h"
#include "session/store_options.h"
#include "store/pg_link.h"
#include "store/registry.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;

namespace {

// Databases reached through a service name (qzvopre, qzvoprc) are opened
// in shared mode: they must exist, and several writers take turns between
// posts, as clients of one server would.
constexpr store::Mode kServedMode = store::Mode::Shared;

// Opens `name` through the connection: a file for the local service, a
// database on the server for a server connection.
Status open_on(const connections::Connection& connection, const std::string& name, store::Mode mode,
               int* dbkey) {
    if (!connection.server) return api::open_database(name, mode, dbkey, connection.key);
    return store::open_server_database(connection.server, name, mode, session::store_options(),
                                       dbkey, connection.key);
}

Status open_through(int* dbkey, const char* dbname, int mode_code, int connkey) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(dbname, "dbname"));
    connections::Connection* connection = nullptr;
    CRQX_RETURN_IF_ERROR(connections::find_connection(connkey, &connection));
    store::Mode mode;
    CRQX_RETURN_IF_ERROR(store::mode_from_code(mode_code, &mode));
    return open_on(*connection, dbname, mode, dbkey);
}

Status open_served(int* dbkey, const char* svname) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(svname, "svname"));
    connections::ServedName served;
    CRQX_RETURN_IF_ERROR(connections::parse_served_name(svname, &served));
    if (!served.server) return api::open_database(served.database, kServedMode, dbkey);
    // A link of its own, with the server's default user (PGUSER, ~/.pgpass);
    // the database keeps it as long as it stays open.
    std::shared_ptr<store::PgLink> link;
    CRQX_RETURN_IF_ERROR(
        store::PgLink::connect(served.hostname, "", "", session::store_options(), &link));
    return store::open_server_database(link, served.database, kServedMode, session::store_options(),
                                       dbkey);
}

Status open_default(int* dbkey, int connkey) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    connections::Connection* connection = nullptr;
    CRQX_RETURN_IF_ERROR(connections::find_connection(connkey, &connection));
    if (connection->default_database.empty())
        return Status::Error(HRNEXI,
                             "connection " + std::to_string(connkey) +
                                 " names no database: open it with the service 'LOCAL:<path>'"
                                 " or 'PG:<database>'");
    return open_on(*connection, connection->default_database, kServedMode, dbkey);
}

Status open_connection(int* connkey, const char* service, const char* hostname,
                       const char* username, const char* password) {
    CRQX_RETURN_IF_ERROR(api::not_null(connkey, "connkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(service, "service"));
    CRQX_RETURN_IF_ERROR(api::not_null(hostname, "hostname"));
    CRQX_RETURN_IF_ERROR(api::not_null(username, "username"));
    CRQX_RETURN_IF_ERROR(api::not_null(password, "password"));
    // The local service has no accounts and ignores both; a server gets
    // them once, at connecting, and neither is kept nor quoted anywhere.
    return connections::open_connection(service, hostname, username, password, connkey);
}

Status connection_of(int dbkey, int* connkey) {
    CRQX_RETURN_IF_ERROR(api::not_null(connkey, "connkey"));
    store::Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    *connkey = db->connection != 0 ? db->connection : static_cast<int>(HRMKEY);
    return Status::OK();
}

Status assertion(int connkey, int assert_type, const char* text, int perspective, int grouping,
                 const int* dblist) {
    CRQX_RETURN_IF_ERROR(api::not_null(text, "assertion"));
    CRQX_RETURN_IF_ERROR(api::not_null(dblist, "dblist"));
    connections::Connection* connection = nullptr;
    CRQX_RETURN_IF_ERROR(connections::find_connection(connkey, &connection));
    if (!connection->assertions)
        return Status::Error(
            HNSUPP, "connection " + std::to_string(connkey) +
                        " is to the local service, which keeps no assertions (a database server "
                        "keeps them)");
    return connections::apply_assertion(*connection->assertions, connkey, assert_type, text,
                                        perspective, grouping, *dblist);
}

}  // namespace

extern "C" {

void qzvopcn(int* status, int* connkey, char* service, char* hostname, char* username,
             char* password) {
    set_status(status, run("qzvopcn", [&] {
                   return open_connection(connkey, service, hostname, username, password);
               }));
}

void qzvclcn(int* status, int connkey) {
    set_status(status, run("qzvclcn", [&] {
                   return connections::close_connection(connkey, session::post_on_close());
               }));
}

void qzvcmmt(int* status, int connkey) {
    set_status(status, run("qzvcmmt", [&] { return connections::commit(connkey); }));
}

void qzvabrt(int* status, int connkey) {
    set_status(status, run("qzvabrt", [&] { return connections::abort(connkey); }));
}

void qzvgcid(int* status, int dbkey, int* connkey) {
    set_status(status, run("qzvgcid", [&] { return connection_of(dbkey, connkey); }));
}

void qzvasrt(int* status, int connkey, int assert_type, char* assertion_text, int perspective,
             int grouping, int* dblist) {
    set_status(status, run("qzvasrt", [&] {
                   return assertion(connkey, assert_type, assertion_text, perspective, grouping,
                                    dblist);
               }));
}

void qzvopdc(int* status, int* dbkey, char* dbname, int mode, int connkey) {
    set_status(status, run("qzvopdc", [&] { return open_through(dbkey, dbname, mode, connkey); }));
}

void qzvopre(int* status, int* dbkey, char* svname) {
    set_status(status, run("qzvopre", [&] { return open_served(dbkey, svname); }));
}

void qzvoprc(int* status, int* dbkey, int connkey) {
    set_status(status, run("qzvoprc", [&] { return open_default(dbkey, connkey); }));
}

}  // extern "C"
