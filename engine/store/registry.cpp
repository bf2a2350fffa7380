#include "store/registry.h"

#include <sys/stat.h>

#include <map>

#include "core/codes.h"
#include "store/pg_store.h"

namespace crqx {
namespace store {
namespace {

struct Registry {
    std::map<int, Database> open;
    int last_key = 0;
};

Registry& registry() {
    static Registry r;
    return r;
}

std::string file_identity(const std::string& name) {
    struct stat st;
    std::string file = !name.empty() && name[0] == ':' ? "./" + name : name;
    if (stat(file.c_str(), &st) != 0) return "";
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

// One process must not hold the same file twice for writing: the second
// handle would wait on the first one's lock.
Status check_not_open(const std::string& identity, Mode mode) {
    if (identity.empty()) return Status::OK();
    for (const auto& entry : registry().open) {
        const Database& d = entry.second;
        if (d.identity == identity && (d.mode != Mode::Read || mode != Mode::Read))
            return Status::Error(HFUSE, "the database is already open as key " +
                                            std::to_string(d.key) + " in this session");
    }
    return Status::OK();
}

}  // namespace

Status mode_from_code(int code, Mode* mode) {
    switch (code) {
        case HRMODE: *mode = Mode::Read; return Status::OK();
        case HCMODE: *mode = Mode::Create; return Status::OK();
        case HOMODE: *mode = Mode::Overwrite; return Status::OK();
        case HUMODE: *mode = Mode::Update; return Status::OK();
        case HSMODE: *mode = Mode::Shared; return Status::OK();
        case HWMODE: *mode = Mode::Write; return Status::OK();
        case HDMODE: *mode = Mode::Direct; return Status::OK();
        default:
            return Status::Error(
                HBMODE, "access mode " + std::to_string(code) + " is not one of HRMODE..HDMODE");
    }
}

namespace {

Status register_store(Database d, int* key) {
    d.key = ++registry().last_key;
    *key = d.key;
    registry().open.emplace(d.key, std::move(d));
    return Status::OK();
}

}  // namespace

Status open_database(const std::string& name, Mode mode, const StoreOptions& options, int* key,
                     int connection) {
    Database d;
    d.identity = mode == Mode::Work ? "" : file_identity(name);
    CRQX_RETURN_IF_ERROR(check_not_open(d.identity, mode));
    CRQX_RETURN_IF_ERROR(open_store(name, mode, options, &d.store));
    if (mode != Mode::Work && d.identity.empty()) d.identity = file_identity(name);
    d.name = name;
    d.mode = mode;
    d.connection = connection;
    return register_store(std::move(d), key);
}

Status open_server_database(const std::shared_ptr<PgLink>& link, const std::string& name, Mode mode,
                            const StoreOptions& options, int* key, int connection) {
    Database d;
    CRQX_RETURN_IF_ERROR(server_database_identity(*link, name, &d.identity));
    CRQX_RETURN_IF_ERROR(check_not_open(d.identity, mode));
    CRQX_RETURN_IF_ERROR(open_server_store(link, name, mode, options, &d.store, &d.identity));
    d.name = name;
    d.mode = mode;
    d.connection = connection;
    return register_store(std::move(d), key);
}

Status find_database(int key, Database** database) {
    auto it = registry().open.find(key);
    if (it == registry().open.end())
        return Status::Error(HBKEY, "database key " + std::to_string(key) + " is not open");
    *database = &it->second;
    return Status::OK();
}

Status close_database(int key, bool post_first) {
    auto it = registry().open.find(key);
    if (it == registry().open.end())
        return Status::Error(HBKEY, "database key " + std::to_string(key) + " is not open");
    Status s = it->second.store->close(post_first);
    registry().open.erase(it);
    return s;
}

std::vector<int> databases_of_connection(int connection) {
    std::vector<int> keys;
    for (const auto& entry : registry().open)
        if (connection != 0 && entry.second.connection == connection) keys.push_back(entry.first);
    return keys;
}

std::vector<int> open_keys() {
    std::vector<int> keys;
    for (const auto& entry : registry().open) keys.push_back(entry.first);
    return keys;
}

void close_all(bool post_first) {
    while (!registry().open.empty()) close_database(registry().open.begin()->first, post_first);
}

std::string database_label(const Database& db) {
    if (db.name.empty()) return "work database " + std::to_string(db.key);
    return "database " + std::to_string(db.key) + " ('" + db.name + "')";
}

}  // namespace store
}  // namespace crqx
