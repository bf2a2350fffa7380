// One connection to a PostgreSQL server, shared by every database opened
// through one client connection (pg_store.cpp). It owns the server's single
// transaction for that client: the databases' changes all land in it, so a
// commit covers all of them and an abort undoes all of them.
//
// Values travel in binary form both ways: integers as bigint, doubles as
// double precision and every text as bytea, so any byte string comes back
// unchanged and names sort by their bytes, as in the file store.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"
#include "store/store.h"

namespace crqx {
namespace store {

// Where in a transaction the link's owner may check conditions of its own:
// before and after one change (under the change's savepoint), and just
// before COMMIT. The connections room hangs its assertions here; the store
// only calls the hook and knows nothing of what it checks.
enum class CheckPoint { BeforeChange, AfterChange, Commit };
// `changing`: the store being changed (null at Commit). A failure refuses
// the change or the commit with that status.
using TransactionCheck = std::function<Status(CheckPoint point, const Store* changing)>;

// The version of the table layout on the server (pg_schema.cpp).
constexpr int kServerFormatVersion = 1;

// How long connecting may take before the host counts as unreachable.
constexpr int kConnectTimeoutSeconds = 10;

// Statement parameters, each in binary form with its type.
class PgParams {
public:
    PgParams& add(int64_t value);
    PgParams& add(double value);
    PgParams& add(const std::string& bytes);  // as bytea
    PgParams& add_null_int();
    PgParams& add(const std::optional<int32_t>& value);

    int size() const { return static_cast<int>(values_.size()); }
    const std::vector<Oid>& types() const { return types_; }
    // Pointers into the values, valid while this object lives.
    void arrays(std::vector<const char*>* values, std::vector<int>* lengths,
                std::vector<int>* formats) const;

private:
    std::vector<std::string> values_;
    std::vector<bool> nulls_;
    std::vector<Oid> types_;
};

// A statement's result; columns are read in their binary form.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult* result) : result_(result) {}
    ~PgResult() { PQclear(result_); }
    PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    PGresult* raw() const { return result_; }
    int rows() const { return result_ == nullptr ? 0 : PQntuples(result_); }
    int64_t affected() const;
    bool is_null(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
    int64_t integer(int row, int column) const;    // bigint
    double real(int row, int column) const;        // double precision
    std::string bytes(int row, int column) const;  // bytea
    std::optional<int32_t> index(int row, int column) const;

private:
    PGresult* result_ = nullptr;
};

class PgLink {
public:
    // Connects to `hostname` (see connect_pg) and makes sure the tables are
    // there. The password is handed to libpq and not kept.
    static Status connect(const std::string& hostname, const std::string& user,
                          const std::string& password, const StoreOptions& options,
                          std::shared_ptr<PgLink>* out);
    ~PgLink();
    PgLink(const PgLink&) = delete;
    PgLink& operator=(const PgLink&) = delete;

    // Runs one statement (prepared once per link and SQL text). Errors
    // become statuses: a lost connection HNCONN, a unique violation
    // `conflict_code` (0: none expected), anything else HIFAIL.
    Status run(const std::string& sql, const PgParams& params, PgResult* result = nullptr,
               int conflict_code = 0, const std::string& conflict_text = "");
    Status run(const std::string& sql, PgResult* result = nullptr) {
        return run(sql, PgParams(), result);
    }

    // Runs SQL text of several statements, without parameters or results.
    Status run_script(const std::string& sql);

    // The client's transaction: opened by the first change, ended by
    // commit or rollback (nothing to do when none is open). A commit of
    // changes runs the check at CheckPoint::Commit first: when it fails,
    // nothing is committed and the transaction stays open.
    Status begin();
    Status commit();
    Status rollback();
    bool in_transaction() const { return in_transaction_; }

    // Which databases (by id) hold changes not yet committed, and when each
    // was changed last: its modification time is written once, at commit
    // (a row updated at every change of a long transaction would grow a
    // chain of versions that each later update walks).
    void mark_changed(int64_t database, int64_t when_ms) { changed_[database] = when_ms; }
    bool changed(int64_t database) const { return changed_.count(database) != 0; }
    int64_t changed_at(int64_t database) const { return changed_.at(database); }
    bool has_changes() const { return !changed_.empty(); }

    // The write lock of one database: an advisory lock, held for the
    // session (`for_session`) or until the transaction ends. Waits up to
    // `timeout_ms`, then reports `busy_code`.
    Status lock(int64_t database, bool for_session, int timeout_ms, int busy_code);
    Status unlock_session(int64_t database);

    // The owner's check (none by default) and running it. The check runs
    // only outside another check: what it reads never checks again.
    void set_check(TransactionCheck check) { check_ = std::move(check); }
    Status check(CheckPoint point, const Store* changing);

    // Names the server and database this link reaches, and the link itself
    // (for identities: one link must not hold a database twice).
    std::string where() const;

private:
    explicit PgLink(PGconn* conn) : conn_(conn) {}
    Status lost_or(int code, const std::string& what);
    Status lost() const;
    Status prepare(const std::string& sql, const PgParams& params, std::string* name);

    PGconn* conn_;
    std::map<std::string, std::string> prepared_;  // SQL text -> statement name
    bool in_transaction_ = false;
    bool lost_ = false;       // the server went away: nothing more is sent
    std::string last_state_;  // SQLSTATE of the last failed statement
    std::map<int64_t, int64_t> changed_;
    TransactionCheck check_;
    bool checking_ = false;
};

// The Status for a libpq connection that failed to open (pg_connect.cpp):
// HBUSER for a refused user or password, HRNEXI for a missing database,
// HNETCN otherwise. The text never holds the password.
Status connect_failure(PGconn* conn, const std::string& where);

// The libpq connection parameters for a hostname of the PostgreSQL service:
// "host[:port][/database]" or a "postgresql://" / "postgres://" URI.
Status connection_keywords(const std::string& hostname, std::vector<std::string>* keys,
                           std::vector<std::string>* values);

// Creates the tables when the server has none yet; HBVER when they were
// made by a newer engine (pg_schema.cpp).
Status ensure_server_schema(PgLink& link);

}  // namespace store
}  // namespace crqx
