#include "connections/connections.h"

#include <cctype>
#include <map>

#include "core/codes.h"
#include "session/session.h"
#include "session/store_options.h"
#include "store/pg_link.h"
#include "store/registry.h"

namespace crqx {
namespace connections {
namespace {

constexpr const char* kLocalPrefix = "LOCAL:";
constexpr const char* kServerPrefix = "PG:";
// Names quoted in error texts are cut to this many bytes.
constexpr size_t kQuotedMax = 64;

struct Connections {
    std::map<int, Connection> open;
    int last_key = 0;
    bool closer_registered = false;
};

Connections& connections() {
    static Connections c;
    return c;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool same_letters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool has_prefix(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && same_letters(text.substr(0, prefix.size()), prefix);
}

std::string quoted(const std::string& text) {
    if (text.size() <= kQuotedMax) return "'" + text + "'";
    return "'" + text.substr(0, kQuotedMax) + "...'";
}

bool is_this_machine(const std::string& hostname) {
    std::string host = trimmed(hostname);
    return host.empty() || same_letters(host, "localhost");
}

Status with_key(int key, Status s) {
    if (s.ok()) return s;
    return Status::Error(s.code(), "database key " + std::to_string(key) + ": " + s.message());
}

void register_closer() {
    if (connections().closer_registered) return;
    connections().closer_registered = true;
    session::on_end([] {
        while (!connections().open.empty())
            close_connection(connections().open.begin()->first, session::post_on_close());
        connections().closer_registered = false;
    });
}

}  // namespace

Status parse_service(const std::string& service, bool* server, std::string* default_database) {
    std::string name = trimmed(service);
    default_database->clear();
    *server = same_letters(name, "PG") || has_prefix(name, kServerPrefix);
    if (name.empty() || same_letters(name, "LOCAL") || same_letters(name, "PG"))
        return Status::OK();
    for (const char* prefix : {kLocalPrefix, kServerPrefix}) {
        if (!has_prefix(name, prefix)) continue;
        *default_database = name.substr(std::string(prefix).size());
        return Status::OK();
    }
    return Status::Error(HBSRVR, "service " + quoted(name) +
                                     " is not offered: the services are the local one ('', "
                                     "'LOCAL' or 'LOCAL:<path>') and PostgreSQL ('PG' or "
                                     "'PG:<database>')");
}

Status parse_served_name(const std::string& svname, ServedName* served) {
    std::string name = trimmed(svname);
    if (has_prefix(name, kLocalPrefix)) {
        served->server = false;
        served->database = name.substr(std::string(kLocalPrefix).size());
        return Status::OK();
    }
    size_t at = name.find('@');
    if (has_prefix(name, kServerPrefix) && at != std::string::npos) {
        served->server = true;
        size_t start = std::string(kServerPrefix).size();
        served->database = name.substr(start, at - start);
        served->hostname = name.substr(at + 1);
        return Status::OK();
    }
    return Status::Error(HBSRVR, "served name " + quoted(name) +
                                     " is not of the form 'LOCAL:<path>' or "
                                     "'PG:<database>@<hostname>'");
}

Status open_connection(const std::string& service, const std::string& hostname,
                       const std::string& username, const std::string& password, int* key) {
    Connection c;
    bool server = false;
    CRQX_RETURN_IF_ERROR(parse_service(service, &server, &c.default_database));
    if (server) {
        CRQX_RETURN_IF_ERROR(store::PgLink::connect(hostname, username, password,
                                                    session::store_options(), &c.server));
    } else if (!is_this_machine(hostname)) {
        return Status::Error(HNETCN, "host " + quoted(trimmed(hostname)) +
                                         " cannot be reached by the local service, only "
                                         "'localhost' (use the service 'PG' for a server)");
    }
    c.key = ++connections().last_key;
    if (c.server) {
        c.assertions = std::make_shared<Assertions>(c.key);
        c.server->set_check(
            [assertions = c.assertions](store::CheckPoint point, const store::Store* changing) {
                return assertions->check(point, changing);
            });
    }
    *key = c.key;
    connections().open.emplace(c.key, std::move(c));
    register_closer();
    return Status::OK();
}

Status find_connection(int key, Connection** connection) {
    auto it = connections().open.find(key);
    if (it == connections().open.end())
        return Status::Error(HBCONN, "connection key " + std::to_string(key) + " is not open");
    *connection = &it->second;
    return Status::OK();
}

Status close_connection(int key, bool post_first) {
    Connection* c = nullptr;
    CRQX_RETURN_IF_ERROR(find_connection(key, &c));
    Status first;
    for (int dbkey : store::databases_of_connection(key)) {
        Status s = with_key(dbkey, store::close_database(dbkey, post_first));
        if (first.ok()) first = s;
    }
    connections().open.erase(key);
    return first;
}

Status commit(int key) {
    Connection* c = nullptr;
    CRQX_RETURN_IF_ERROR(find_connection(key, &c));
    if (c->server) return c->server->commit();
    for (int dbkey : store::databases_of_connection(key)) {
        store::Database* db = nullptr;
        CRQX_RETURN_IF_ERROR(store::find_database(dbkey, &db));
        CRQX_RETURN_IF_ERROR(with_key(dbkey, db->store->post()));
    }
    return Status::OK();
}

Status abort(int key) {
    Connection* c = nullptr;
    CRQX_RETURN_IF_ERROR(find_connection(key, &c));
    if (c->server) return c->server->rollback();
    Status first;
    for (int dbkey : store::databases_of_connection(key)) {
        store::Database* db = nullptr;
        Status s = store::find_database(dbkey, &db);
        if (s.ok()) s = with_key(dbkey, db->store->restore());
        if (first.ok()) first = s;
    }
    return first;
}

}  // namespace connections
}  // namespace crqx
