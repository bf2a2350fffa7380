// The connection functions of the C interface: open and close connections
// to the local service, commit and abort their databases, and the opens
// that go through a connection or a served name.
#include "connections/connections.h"
#include "api/status_report.h"
#include "crqx.h"
#include "session/session.h"

using namespace crqx;
using crqx::api::run;
using crqx::api::set_status;

namespace {

// Databases reached through the local service (qzvopre, qzvoprc) are opened
// in shared mode: they must exist, and several writers take turns between
// posts, as clients of one server would.
constexpr store::Mode kServedMode = store::Mode::Shared;

Status open_through(int* dbkey, const char* dbname, int mode_code, int connkey) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(dbname, "dbname"));
    connections::Connection* connection = nullptr;
    CRQX_RETURN_IF_ERROR(connections::find_connection(connkey, &connection));
    store::Mode mode;
    CRQX_RETURN_IF_ERROR(store::mode_from_code(mode_code, &mode));
    return api::open_database(dbname, mode, dbkey, connkey);
}

Status open_served(int* dbkey, const char* svname) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(svname, "svname"));
    std::string path;
    CRQX_RETURN_IF_ERROR(connections::parse_served_name(svname, &path));
    return api::open_database(path, kServedMode, dbkey);
}

Status open_default(int* dbkey, int connkey) {
    CRQX_RETURN_IF_ERROR(api::not_null(dbkey, "dbkey"));
    connections::Connection* connection = nullptr;
    CRQX_RETURN_IF_ERROR(connections::find_connection(connkey, &connection));
    if (connection->default_database.empty())
        return Status::Error(HRNEXI,
                             "connection " + std::to_string(connkey) +
                                 " names no database: open it with the service 'LOCAL:<path>'");
    return api::open_database(connection->default_database, kServedMode, dbkey, connkey);
}

Status open_connection(int* connkey, const char* service, const char* hostname,
                       const char* username, const char* password) {
    CRQX_RETURN_IF_ERROR(api::not_null(connkey, "connkey"));
    CRQX_RETURN_IF_ERROR(api::not_null(service, "service"));
    CRQX_RETURN_IF_ERROR(api::not_null(hostname, "hostname"));
    CRQX_RETURN_IF_ERROR(api::not_null(username, "username"));
    CRQX_RETURN_IF_ERROR(api::not_null(password, "password"));
    // The local service has no accounts: the user name and password are
    // accepted as they are and neither kept nor quoted anywhere.
    return connections::open_connection(service, hostname, connkey);
}

Status connection_of(int dbkey, int* connkey) {
    CRQX_RETURN_IF_ERROR(api::not_null(connkey, "connkey"));
    store::Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(api::database(dbkey, &db));
    *connkey = db->connection != 0 ? db->connection : static_cast<int>(HRMKEY);
    return Status::OK();
}

Status assertion(int connkey, const char* text, const int* dblist) {
    CRQX_RETURN_IF_ERROR(api::not_null(text, "assertion"));
    CRQX_RETURN_IF_ERROR(api::not_null(dblist, "dblist"));
    connections::Connection* connection = nullptr;
    CRQX_RETURN_IF_ERROR(connections::find_connection(connkey, &connection));
    return Status::Error(HNSUPP,
                         "assertions are kept by a database server; the local service has none");
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
    (void)assert_type, (void)perspective, (void)grouping;
    set_status(status, run("qzvasrt", [&] { return assertion(connkey, assertion_text, dblist); }));
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
