#include "objects/wildcards.h"

#include <functional>
#include <map>

#include "objects/names.h"
#include "session/session.h"
#include "store/store.h"

namespace crqx {
namespace objects {
namespace {

struct Searches {
    std::map<int, Search> classic;   // by database key
    std::map<int, Search> extended;  // by search key
    int last_key = 0;
    bool closer_registered = false;
};

Searches& searches() {
    static Searches s;
    return s;
}

// Searches end with the session; keys stay unique within the process.
void end_with_session() {
    if (searches().closer_registered) return;
    searches().closer_registered = true;
    session::on_end([] {
        searches().classic.clear();
        searches().extended.clear();
        searches().closer_registered = false;
    });
}

bool is_class_filter(int c) {
    return c == 0 || c == HSERIE || c == HSCALA || c == HFRMLA || c == HGLNAM || c == HGLFOR;
}

// The name keys a pattern can match lie in [from, to): those that begin
// with its literal prefix (the part before the first wildcard). `to` is
// empty when there is no upper bound.
void key_range(const std::string& pattern, std::string* from, std::string* to) {
    *from = store::name_key(pattern.substr(0, pattern.find_first_of("*?")));
    *to = *from;
    while (!to->empty() && static_cast<unsigned char>(to->back()) == 0xFF) to->pop_back();
    if (!to->empty()) to->back() = static_cast<char>(to->back() + 1);
}

}  // namespace

Status start_search(store::Database& db, const std::string& pattern, int only_class,
                    const std::string& start, Search* search) {
    CRQX_RETURN_IF_ERROR(check_pattern(pattern));
    if (!is_class_filter(only_class))
        return Status::Error(HBCLAS,
                             "class " + std::to_string(only_class) + " is not an object class");
    search->dbkey = db.key;
    std::string from, to;
    key_range(pattern, &from, &to);
    std::string start_key = store::name_key(start);
    if (start_key > from) from = start_key;
    if (!to.empty() && from >= to) return Status::OK();
    // A literal prefix and then only stars: every key of the range matches.
    const size_t wild = pattern.find_first_of("*?");
    const bool prefix_only =
        pattern.find_first_not_of('*', wild) == std::string::npos && wild != std::string::npos;
    std::function<bool(const std::string&)> wanted;
    if (!prefix_only) wanted = [&](const std::string& key) { return wildcard_match(pattern, key); };
    std::vector<store::ObjectSummary> found;
    CRQX_RETURN_IF_ERROR(db.store->find_objects(from, to, wanted, &found));
    for (store::ObjectSummary& r : found)
        if (only_class == 0 || r.object_class == only_class)
            search->matches.push_back(std::move(r));
    return Status::OK();
}

Status peek_match(Search& search, const store::ObjectSummary** match) {
    store::Database* db = nullptr;
    CRQX_RETURN_IF_ERROR(store::find_database(search.dbkey, &db));
    if (search.next >= search.matches.size()) return Status::Error(HNOOBJ, "no more matches");
    *match = &search.matches[search.next];
    return Status::OK();
}

void advance(Search& search) {
    if (search.next < search.matches.size()) ++search.next;
}

void set_classic_search(int dbkey, Search search) {
    end_with_session();
    searches().classic[dbkey] = std::move(search);
}

Status classic_search(int dbkey, Search** search) {
    auto it = searches().classic.find(dbkey);
    if (it == searches().classic.end())
        return Status::Error(HNWILD,
                             "no search was started on database key " + std::to_string(dbkey));
    *search = &it->second;
    return Status::OK();
}

int add_search(Search search) {
    end_with_session();
    int key = ++searches().last_key;
    searches().extended.emplace(key, std::move(search));
    return key;
}

Status find_search(int key, Search** search) {
    auto it = searches().extended.find(key);
    if (it == searches().extended.end())
        return Status::Error(HBKEY,
                             "wildcard key " + std::to_string(key) + " is not an open search");
    *search = &it->second;
    return Status::OK();
}

Status free_search(int key) {
    if (searches().extended.erase(key) == 0)
        return Status::Error(HBKEY,
                             "wildcard key " + std::to_string(key) + " is not an open search");
    return Status::OK();
}

}  // namespace objects
}  // namespace crqx
