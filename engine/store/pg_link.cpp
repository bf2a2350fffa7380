// Statements, results, the transaction and the write locks of a link to a
// PostgreSQL server.
#include "store/pg_link.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace crqx {
namespace store {
namespace {

// Type identifiers of the server's built-in types.
constexpr Oid kInt8 = 20;
constexpr Oid kFloat8 = 701;
constexpr Oid kBytea = 17;

// The first key of every advisory lock this engine takes ("CR"), so they
// stay apart from other applications' locks on the same server.
constexpr int kLockSpace = 0x4352;

// SQLSTATEs this store tells apart.
constexpr const char* kUniqueViolation = "23505";
constexpr const char* kLockNotAvailable = "55P03";
constexpr const char* kDeadlock = "40P01";

std::string big_endian(uint64_t bits) {
    std::string out(8, '\0');
    for (int i = 7; i >= 0; --i, bits >>= 8) out[i] = static_cast<char>(bits & 0xFF);
    return out;
}

uint64_t from_big_endian(const char* p, int length) {
    uint64_t bits = 0;
    for (int i = 0; i < length; ++i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
    return bits;
}

}  // namespace

PgParams& PgParams::add(int64_t value) {
    values_.push_back(big_endian(static_cast<uint64_t>(value)));
    nulls_.push_back(false);
    types_.push_back(kInt8);
    return *this;
}

PgParams& PgParams::add(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    values_.push_back(big_endian(bits));
    nulls_.push_back(false);
    types_.push_back(kFloat8);
    return *this;
}

PgParams& PgParams::add(const std::string& bytes) {
    values_.push_back(bytes);
    nulls_.push_back(false);
    types_.push_back(kBytea);
    return *this;
}

PgParams& PgParams::add_null_int() {
    values_.emplace_back();
    nulls_.push_back(true);
    types_.push_back(kInt8);
    return *this;
}

PgParams& PgParams::add(const std::optional<int32_t>& value) {
    return value ? add(int64_t{*value}) : add_null_int();
}

void PgParams::arrays(std::vector<const char*>* values, std::vector<int>* lengths,
                      std::vector<int>* formats) const {
    for (size_t i = 0; i < values_.size(); ++i) {
        values->push_back(nulls_[i] ? nullptr : values_[i].data());
        lengths->push_back(static_cast<int>(values_[i].size()));
        formats->push_back(1);
    }
}

PgResult& PgResult::operator=(PgResult&& other) noexcept {
    if (this != &other) {
        PQclear(result_);
        result_ = other.result_;
        other.result_ = nullptr;
    }
    return *this;
}

int64_t PgResult::affected() const {
    const char* n = result_ == nullptr ? "" : PQcmdTuples(result_);
    return *n == '\0' ? 0 : std::strtoll(n, nullptr, 10);
}

int64_t PgResult::integer(int row, int column) const {
    return static_cast<int64_t>(
        from_big_endian(PQgetvalue(result_, row, column), PQgetlength(result_, row, column)));
}

double PgResult::real(int row, int column) const {
    uint64_t bits = from_big_endian(PQgetvalue(result_, row, column), 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string PgResult::bytes(int row, int column) const {
    return std::string(PQgetvalue(result_, row, column),
                       static_cast<size_t>(PQgetlength(result_, row, column)));
}

std::optional<int32_t> PgResult::index(int row, int column) const {
    if (is_null(row, column)) return std::nullopt;
    return static_cast<int32_t>(integer(row, column));
}

PgLink::~PgLink() { PQfinish(conn_); }

std::string PgLink::where() const {
    const char* host = PQhost(conn_);
    const char* port = PQport(conn_);
    const char* db = PQdb(conn_);
    return std::string(host ? host : "") + ":" + (port ? port : "") + "/" + (db ? db : "") + "#" +
           std::to_string(reinterpret_cast<uintptr_t>(this));
}

Status PgLink::lost() const {
    return Status::Error(HNCONN,
                         "the connection to the server was lost and its uncommitted work with "
                         "it; close the connection and connect again");
}

Status PgLink::lost_or(int code, const std::string& what) {
    std::string text = PQerrorMessage(conn_);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (PQstatus(conn_) == CONNECTION_BAD) {
        // Whatever the transaction held is gone; every later call says so.
        lost_ = true;
        in_transaction_ = false;
        changed_.clear();
        return Status::Error(HNCONN, what + ": " + lost().message() + " (" + text + ")");
    }
    return Status::Error(code, what + ": " + text);
}

Status PgLink::prepare(const std::string& sql, const PgParams& params, std::string* name) {
    auto found = prepared_.find(sql);
    if (found != prepared_.end()) {
        *name = found->second;
        return Status::OK();
    }
    std::string fresh = "crqx" + std::to_string(prepared_.size() + 1);
    PgResult r(PQprepare(conn_, fresh.c_str(), sql.c_str(), params.size(), params.types().data()));
    ExecStatusType st = PQresultStatus(r.raw());
    if (st != PGRES_COMMAND_OK) return lost_or(HIFAIL, "preparing a statement");
    prepared_.emplace(sql, fresh);
    *name = fresh;
    return Status::OK();
}

Status PgLink::run(const std::string& sql, const PgParams& params, PgResult* result,
                   int conflict_code, const std::string& conflict_text) {
    if (lost_) return lost();
    std::string name;
    CRQX_RETURN_IF_ERROR(prepare(sql, params, &name));
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    params.arrays(&values, &lengths, &formats);
    PgResult r(PQexecPrepared(conn_, name.c_str(), params.size(), values.data(), lengths.data(),
                              formats.data(), 1));
    ExecStatusType st = PQresultStatus(r.raw());
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
        const char* state = PQresultErrorField(r.raw(), PG_DIAG_SQLSTATE);
        last_state_ = state != nullptr ? state : "";
        if (conflict_code != 0 && state != nullptr && std::strcmp(state, kUniqueViolation) == 0)
            return Status::Error(conflict_code, conflict_text);
        return lost_or(HIFAIL, "on the server");
    }
    if (result != nullptr) *result = std::move(r);
    return Status::OK();
}

Status PgLink::run_script(const std::string& sql) {
    if (lost_) return lost();
    PgResult r(PQexec(conn_, sql.c_str()));
    if (PQresultStatus(r.raw()) != PGRES_COMMAND_OK) return lost_or(HIFAIL, "on the server");
    return Status::OK();
}

Status PgLink::begin() {
    if (in_transaction_) return Status::OK();
    CRQX_RETURN_IF_ERROR(run("BEGIN"));
    in_transaction_ = true;
    return Status::OK();
}

Status PgLink::check(CheckPoint point, const Store* changing) {
    if (!check_ || checking_) return Status::OK();
    // Reset however the check ends (an exception included): a flag left
    // set would turn every later check off.
    struct Checking {
        bool& flag;
        explicit Checking(bool& f) : flag(f) { flag = true; }
        ~Checking() { flag = false; }
    } checking(checking_);
    return check_(point, changing);
}

Status PgLink::commit() {
    if (lost_) return lost();
    if (!in_transaction_) return Status::OK();
    if (has_changes()) CRQX_RETURN_IF_ERROR(check(CheckPoint::Commit, nullptr));
    Status s;
    for (const auto& [database, when_ms] : changed_) {
        s = run("UPDATE crqx.databases SET modified_ms = $2 WHERE id = $1",
                PgParams().add(database).add(when_ms));
        if (!s.ok()) break;
    }
    PgResult r;
    if (s.ok()) s = run("COMMIT", &r);
    // A COMMIT of a failed transaction answers ROLLBACK: nothing was kept.
    if (s.ok() && std::strcmp(PQcmdStatus(r.raw()), "ROLLBACK") == 0)
        s = Status::Error(HIFAIL, "the server rolled the transaction back");
    if (!s.ok() && PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) != PQTRANS_IDLE)
        run("ROLLBACK");
    in_transaction_ = false;
    changed_.clear();
    return s;
}

Status PgLink::rollback() {
    if (lost_) return lost();
    if (!in_transaction_) return Status::OK();
    Status s = run("ROLLBACK");
    in_transaction_ = false;
    changed_.clear();
    return s;
}

Status PgLink::lock(int64_t database, bool for_session, int timeout_ms, int busy_code) {
    // The wait happens on the server, which wakes it the moment the holder
    // lets go. A lock_timeout set under a savepoint (or in a transaction of
    // its own) bounds it, so running out of time undoes nothing else; a
    // deadlock between two clients ends the same way. Once taken, the limit
    // stays for the rest of the transaction: no later wait is endless either.
    bool own_transaction = !in_transaction_;
    CRQX_RETURN_IF_ERROR(run(own_transaction ? "BEGIN" : "SAVEPOINT crqx_lock"));
    std::string limit = "SET LOCAL lock_timeout = " + std::to_string(std::max(timeout_ms, 1));
    Status s = run(limit);
    if (s.ok())
        s = run(for_session ? "SELECT pg_advisory_lock($1::int, $2::bigint::int)"
                            : "SELECT pg_advisory_xact_lock($1::int, $2::bigint::int)",
                PgParams().add(int64_t{kLockSpace}).add(database));
    bool busy = !s.ok() && (last_state_ == kLockNotAvailable || last_state_ == kDeadlock);
    if (s.ok()) {
        s = run(own_transaction ? "COMMIT" : "RELEASE SAVEPOINT crqx_lock");
    } else if (!lost_) {
        if (own_transaction) {
            run("ROLLBACK");
        } else {
            run("ROLLBACK TO SAVEPOINT crqx_lock");
            run("RELEASE SAVEPOINT crqx_lock");
        }
    }
    if (busy) return Status::Error(busy_code, "another client holds the database's write lock");
    return s;
}

Status PgLink::unlock_session(int64_t database) {
    return run("SELECT pg_advisory_unlock($1::int, $2::bigint::int)",
               PgParams().add(int64_t{kLockSpace}).add(database));
}

}  // namespace store
}  // namespace crqx
