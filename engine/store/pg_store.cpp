// Opening a database on a PostgreSQL server and the transaction rules of
// the server store.
#include "store/pg_store.h"

namespace crqx {
namespace store {
namespace {

constexpr size_t kMaxServerNameBytes = 128;

bool may_create(Mode mode) {
    return mode == Mode::Create || mode == Mode::Overwrite || mode == Mode::Write;
}
bool must_exist(Mode mode) {
    return mode == Mode::Read || mode == Mode::Update || mode == Mode::Shared ||
           mode == Mode::Direct;
}

Status find_database_id(PgLink& link, const std::string& name, int64_t* id, bool* exists) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(
        link.run("SELECT id FROM crqx.databases WHERE name = $1", PgParams().add(name), &r));
    *exists = r.rows() == 1;
    if (*exists) *id = r.integer(0, 0);
    return Status::OK();
}

Status insert_database(PgLink& link, const std::string& name, int64_t* id) {
    PgResult r;
    int64_t now = now_ms();
    CRQX_RETURN_IF_ERROR(
        link.run("INSERT INTO crqx.databases(name, created_ms, modified_ms) VALUES ($1, $2, $2)"
                 " RETURNING id",
                 PgParams().add(name).add(now), &r, HCEXI, "the database already exists"));
    *id = r.integer(0, 0);
    return Status::OK();
}

// Empties an existing database: its objects (and with them their values,
// attributes and name lists) and its properties; it gets a new creation date.
Status empty_database(PgLink& link, int64_t id, int busy_timeout_ms) {
    CRQX_RETURN_IF_ERROR(link.lock(id, false, busy_timeout_ms, HFUSE));
    CRQX_RETURN_IF_ERROR(
        link.run("DELETE FROM crqx.objects WHERE database_id = $1", PgParams().add(id)));
    return link.run(
        "UPDATE crqx.databases SET created_ms = $2, modified_ms = $2, description = '',"
        " documentation = '', dimension = 0, extra_dots = 0 WHERE id = $1",
        PgParams().add(id).add(now_ms()));
}

// Finds, creates or empties the database as `mode` asks; what it creates
// or empties is committed at once.
Status locate(PgLink& link, const std::string& name, Mode mode, int busy_timeout_ms, int64_t* id) {
    bool exists = false;
    CRQX_RETURN_IF_ERROR(find_database_id(link, name, id, &exists));
    if (must_exist(mode) && !exists)
        return Status::Error(HRNEXI, "the database '" + name + "' does not exist on the server");
    if (mode == Mode::Create && exists)
        return Status::Error(HCEXI, "the database '" + name + "' already exists on the server");
    if (exists && mode != Mode::Overwrite) return Status::OK();
    CRQX_RETURN_IF_ERROR(link.begin());
    Status s =
        exists ? empty_database(link, *id, busy_timeout_ms) : insert_database(link, name, id);
    if (!s.ok()) {
        link.rollback();
        return s;
    }
    return link.commit();
}

std::string identity_of(const PgLink& link, int64_t id) {
    return "server:" + link.where() + ":" + std::to_string(id);
}

}  // namespace

Status check_server_database_name(const std::string& name) {
    if (name.empty()) return Status::Error(HBFILE, "the database name is empty");
    if (name.size() > kMaxServerNameBytes)
        return Status::Error(HBFILE, "a database name on a server is at most " +
                                         std::to_string(kMaxServerNameBytes) + " bytes");
    for (unsigned char c : name)
        if (c <= ' ' || c == 0x7F || c == '@')
            return Status::Error(HBFILE, "the database name '" + name +
                                             "' holds a blank, a control character or '@'");
    return Status::OK();
}

Status server_database_identity(PgLink& link, const std::string& name, std::string* identity) {
    CRQX_RETURN_IF_ERROR(check_server_database_name(name));
    int64_t id = 0;
    bool exists = false;
    CRQX_RETURN_IF_ERROR(find_database_id(link, name, &id, &exists));
    *identity = exists ? identity_of(link, id) : "";
    return Status::OK();
}

Status open_server_store(const std::shared_ptr<PgLink>& link, const std::string& name, Mode mode,
                         const StoreOptions& options, std::unique_ptr<Store>* out,
                         std::string* identity) {
    CRQX_RETURN_IF_ERROR(check_server_database_name(name));
    if (mode == Mode::Work) return Status::Error(HBMODE, "work databases are not kept on a server");
    if (may_create(mode) && link->has_changes())
        return Status::Error(HNPOST,
                             "the connection holds uncommitted changes: commit or abort them "
                             "before creating or emptying a database");
    int64_t id = 0;
    CRQX_RETURN_IF_ERROR(locate(*link, name, mode, options.busy_timeout_ms, &id));
    auto store = std::make_unique<PgStore>(link, id, mode, options.busy_timeout_ms);
    if (mode == Mode::Update || mode == Mode::Write)
        CRQX_RETURN_IF_ERROR(store->hold_session_lock());
    *identity = identity_of(*link, id);
    *out = std::move(store);
    return Status::OK();
}

PgStore::PgStore(std::shared_ptr<PgLink> link, int64_t id, Mode mode, int busy_timeout_ms)
    : link_(std::move(link)), id_(id), mode_(mode), busy_timeout_ms_(busy_timeout_ms) {}

PgStore::~PgStore() {
    if (!closed_) close(false);
}

Status PgStore::hold_session_lock() {
    CRQX_RETURN_IF_ERROR(link_->lock(id_, true, busy_timeout_ms_, HFUSE));
    holds_session_lock_ = true;
    return Status::OK();
}

Status PgStore::begin_change() {
    if (!writable()) return Status::Error(HREADO, "the database is open read-only");
    CRQX_RETURN_IF_ERROR(link_->begin());
    Status s = locks_for_session() || link_->changed(id_)
                   ? Status::OK()
                   : link_->lock(id_, false, busy_timeout_ms_, HLOCKD);
    if (s.ok()) s = link_->run("SAVEPOINT crqx_change");
    if (!s.ok()) {
        if (!link_->has_changes()) link_->rollback();
        return s;
    }
    // A precondition refuses the change before it starts.
    Status checked = link_->check(CheckPoint::BeforeChange, this);
    if (!checked.ok()) end_change(false);
    return checked;
}

Status PgStore::end_change(bool keep) {
    // A postcondition sees the change made, and undoes this one change
    // when it does not hold.
    Status checked = keep ? link_->check(CheckPoint::AfterChange, this) : Status::OK();
    if (!checked.ok()) keep = false;
    if (!keep) link_->run("ROLLBACK TO SAVEPOINT crqx_change");
    Status s = link_->run("RELEASE SAVEPOINT crqx_change");
    if (!checked.ok() && s.ok()) s = checked;
    if (keep && s.ok()) link_->mark_changed(id_, now_ms());
    if (mode_ == Mode::Direct && link_->changed(id_)) return s.ok() ? link_->commit() : s;
    // A transaction that turns out to hold nothing gives its locks back.
    if (!link_->has_changes()) link_->rollback();
    return s;
}

Status PgStore::post() { return link_->commit(); }

Status PgStore::restore() { return link_->rollback(); }

Status PgStore::pack() {
    if (!writable()) return Status::Error(HREADO, "the database is open read-only");
    if (link_->has_changes())
        return Status::Error(HNPOST,
                             "the connection has uncommitted changes; commit or abort first");
    link_->rollback();
    return link_->run_script("VACUUM crqx.value_chunks, crqx.objects, crqx.attributes");
}

Status PgStore::close(bool post_first) {
    if (closed_) return Status::OK();
    closed_ = true;
    Status s = post_first ? link_->commit() : Status::OK();
    // What is not committed (not asked to, or refused) is discarded, as a
    // key that is gone can no longer commit or abort it.
    if (link_->changed(id_)) {
        Status discarded = link_->rollback();
        if (s.ok()) s = discarded;
    }
    if (holds_session_lock_) link_->unlock_session(id_);
    return s;
}

}  // namespace store
}  // namespace crqx
