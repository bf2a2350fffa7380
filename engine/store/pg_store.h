// The server store: one database of this engine kept on a PostgreSQL server,
// reached through a PgLink that every database of one client connection
// shares. Only the store room and the connections room see this header.
//
// Transactions. The link holds one server transaction for all its
// databases: a change opens it, and post, restore, commit and abort end it
// for every database of the link at once (all or nothing). Each change runs
// under a savepoint, so a failed operation leaves no trace.
//
// Locking. A database's write lock is an advisory lock on the server, keyed
// by the database's id. Update and write modes hold it from open to close;
// create, overwrite and shared modes from the first change to the end of the
// transaction; direct mode for one change, which is committed at once.
#pragma once

#include <memory>

#include "store/pg_link.h"
#include "store/store.h"

namespace crqx {
namespace store {

class PgStore : public Store {
public:
    PgStore(std::shared_ptr<PgLink> link, int64_t id, Mode mode, int busy_timeout_ms);
    ~PgStore() override;

    Mode mode() const override { return mode_; }
    Status begin_change() override;
    Status end_change(bool keep) override;
    Status post() override;
    Status restore() override;
    bool has_unposted() const override { return link_->changed(id_); }
    Status pack() override;
    Status close(bool post_first) override;

    // pg_catalog.cpp
    Status read_info(DatabaseInfo* info) override;
    Status write_info(const DatabaseInfo& info) override;
    Status find_object(const std::string& name, ObjectRecord* record) override;
    Status insert_object(const ObjectRecord& record) override;
    Status update_object(const std::string& name, const ObjectRecord& record) override;
    Status delete_object(const std::string& name) override;
    Status list_objects(std::vector<ObjectRecord>* records) override;
    Status read_chunk_span(const std::string& name, int64_t first, int64_t last,
                           std::vector<Chunk>* chunks) override;
    Status write_chunks(const std::string& name, const std::vector<Chunk>& chunks) override;
    // pg_names.cpp
    Status find_attribute(const std::string& object, const std::string& name,
                          AttributeRecord* record) override;
    Status write_attribute(const std::string& object, const AttributeRecord& record) override;
    Status list_attributes(const std::string& object,
                           std::vector<AttributeRecord>* records) override;
    Status read_names(const std::string& object, NameList list,
                      std::vector<std::string>* names) override;
    Status write_names(const std::string& object, NameList list,
                       const std::vector<std::string>& names) override;

    // Takes the write lock for the whole session (update and write modes).
    Status hold_session_lock();

private:
    bool locks_for_session() const { return mode_ == Mode::Update || mode_ == Mode::Write; }
    // The id of the object `name` names (its name or an alias), or HNOOBJ.
    Status object_id(const std::string& name, int64_t* id);
    // HOEXI when `name` is an alias of some object of this database.
    Status check_not_alias(const std::string& name);

    std::shared_ptr<PgLink> link_;
    int64_t id_;
    Mode mode_;
    int busy_timeout_ms_;
    bool holds_session_lock_ = false;
    bool closed_ = false;
};

// Database names on a server: 1 to 128 bytes, none a control character, a
// blank or '@' (HBFILE otherwise).
Status check_server_database_name(const std::string& name);

// The identity under which the registry tells databases apart: the link
// and the database's id ("" while no such database exists). One link must
// not hold a database twice for writing (its locks are its own to take
// again); separate connections are separate clients, whose locks exclude
// each other on the server.
Status server_database_identity(PgLink& link, const std::string& name, std::string* identity);

// Opens (or creates, per `mode`) the database `name` on the link's server,
// with the statuses of open_store (HBFILE, HRNEXI, HCEXI, HFUSE) and
// HNPOST when a mode that may create or empty a database finds the link
// holding uncommitted changes. *identity names it for the registry.
Status open_server_store(const std::shared_ptr<PgLink>& link, const std::string& name, Mode mode,
                         const StoreOptions& options, std::unique_ptr<Store>* out,
                         std::string* identity);

}  // namespace store
}  // namespace crqx
