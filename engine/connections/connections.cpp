#include "connections/connections.h"

#include <cctype>
#include <map>

#include "core/codes.h"
#include "session/session.h"
#include "store/registry.h"

namespace crqx {
namespace connections {
namespace {

constexpr const char* kLocalPrefix = "LOCAL:";
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

bool has_local_prefix(const std::string& text) {
    std::string prefix(kLocalPrefix);
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

Status parse_service(const std::string& service, std::string* default_database) {
    std::string name = trimmed(service);
    default_database->clear();
    if (name.empty() || same_letters(name, "LOCAL")) return Status::OK();
    if (has_local_prefix(name)) {
        *default_database = name.substr(std::string(kLocalPrefix).size());
        return Status::OK();
    }
    return Status::Error(HBSRVR, "service " + quoted(name) +
                                     " is not offered: this engine has only the local service "
                                     "('', 'LOCAL' or 'LOCAL:<path>') and no network server");
}

Status parse_served_name(const std::string& svname, std::string* path) {
    std::string name = trimmed(svname);
    if (!has_local_prefix(name))
        return Status::Error(
            HBSRVR, "served name " + quoted(name) +
                        " is not of the form 'LOCAL:<path>': this engine has no network server");
    *path = name.substr(std::string(kLocalPrefix).size());
    return Status::OK();
}

Status open_connection(const std::string& service, const std::string& hostname, int* key) {
    Connection c;
    CRQX_RETURN_IF_ERROR(parse_service(service, &c.default_database));
    if (!is_this_machine(hostname))
        return Status::Error(HNETCN,
                             "host " + quoted(trimmed(hostname)) +
                                 " cannot be reached: this engine has no network server, only the "
                                 "local service on 'localhost'");
    c.key = ++connections().last_key;
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
