// The tables of the PostgreSQL store. Every database of this engine on one
// server lives in the schema "crqx", in rows keyed by the database's id;
// the layout and its version are documented in docs/engine.md (Server mode).
#include "store/pg_link.h"

namespace crqx {
namespace store {
namespace {

// Taken while the tables are made, so two clients connecting to a fresh
// server at the same moment do not both create them.
constexpr const char* kCreateLock = "SELECT pg_advisory_xact_lock(17234, 0)";

const char* const kLayoutV1 = R"sql(
CREATE SCHEMA IF NOT EXISTS crqx;
CREATE TABLE IF NOT EXISTS crqx.format(version bigint NOT NULL);
CREATE TABLE IF NOT EXISTS crqx.databases(
  id            bigserial PRIMARY KEY,
  name          bytea NOT NULL UNIQUE,
  created_ms    bigint NOT NULL,
  modified_ms   bigint NOT NULL,
  description   bytea NOT NULL DEFAULT '',
  documentation bytea NOT NULL DEFAULT '',
  dimension     bigint NOT NULL DEFAULT 0,
  extra_dots    bigint NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS crqx.objects(
  id            bigserial PRIMARY KEY,
  database_id   bigint NOT NULL REFERENCES crqx.databases(id) ON DELETE CASCADE,
  name          bytea NOT NULL,
  name_key      bytea NOT NULL,
  class         bigint NOT NULL,
  type          bigint NOT NULL,
  frequency     bigint NOT NULL,
  basis         bigint NOT NULL,
  observed      bigint NOT NULL,
  description   bytea NOT NULL,
  documentation bytea NOT NULL,
  created_ms    bigint NOT NULL,
  modified_ms   bigint NOT NULL,
  first_index   bigint,
  last_index    bigint,
  numobs_hint   bigint NOT NULL,
  numchr_hint   bigint NOT NULL,
  growth_hint   double precision NOT NULL,
  UNIQUE(database_id, name_key)
);
CREATE TABLE IF NOT EXISTS crqx.value_chunks(
  object_id bigint NOT NULL REFERENCES crqx.objects(id) ON DELETE CASCADE,
  chunk     bigint NOT NULL,
  data      bytea NOT NULL,
  PRIMARY KEY(object_id, chunk)
);
CREATE TABLE IF NOT EXISTS crqx.attributes(
  object_id bigint NOT NULL REFERENCES crqx.objects(id) ON DELETE CASCADE,
  name_key  bytea NOT NULL,
  name      bytea NOT NULL,
  type      bigint NOT NULL,
  frequency bigint NOT NULL,
  number    bigint NOT NULL,
  text      bytea NOT NULL,
  PRIMARY KEY(object_id, name_key)
);
CREATE TABLE IF NOT EXISTS crqx.aliases(
  database_id bigint NOT NULL REFERENCES crqx.databases(id) ON DELETE CASCADE,
  alias_key   bytea NOT NULL,
  alias       bytea NOT NULL,
  object_id   bigint NOT NULL REFERENCES crqx.objects(id) ON DELETE CASCADE,
  position    bigint NOT NULL,
  PRIMARY KEY(database_id, alias_key)
);
CREATE INDEX IF NOT EXISTS aliases_by_object ON crqx.aliases(object_id, position);
CREATE TABLE IF NOT EXISTS crqx.associations(
  object_id bigint NOT NULL REFERENCES crqx.objects(id) ON DELETE CASCADE,
  position  bigint NOT NULL,
  name      bytea NOT NULL,
  PRIMARY KEY(object_id, position)
);
CREATE TABLE IF NOT EXISTS crqx.namelist_elements(
  object_id bigint NOT NULL REFERENCES crqx.objects(id) ON DELETE CASCADE,
  position  bigint NOT NULL,
  name      bytea NOT NULL,
  PRIMARY KEY(object_id, position)
);
)sql";

Status read_version(PgLink& link, bool* present, int64_t* version) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(
        link.run("SELECT (to_regclass('crqx.format') IS NOT NULL)::int::bigint", &r));
    *present = r.rows() == 1 && r.integer(0, 0) == 1;
    if (!*present) return Status::OK();
    CRQX_RETURN_IF_ERROR(link.run("SELECT coalesce(max(version), 0) FROM crqx.format", &r));
    *version = r.rows() == 1 ? r.integer(0, 0) : 0;
    *present = *version != 0;
    return Status::OK();
}

}  // namespace

Status ensure_server_schema(PgLink& link) {
    bool present = false;
    int64_t version = 0;
    CRQX_RETURN_IF_ERROR(read_version(link, &present, &version));
    if (!present) {
        std::string script = std::string("BEGIN; ") + kCreateLock + ";" + kLayoutV1 +
                             "INSERT INTO crqx.format(version) SELECT " +
                             std::to_string(kServerFormatVersion) +
                             " WHERE NOT EXISTS (SELECT 1 FROM crqx.format); COMMIT;";
        Status s = link.run_script(script);
        if (!s.ok()) {
            link.run_script("ROLLBACK");
            return Status::Error(s.code(), "creating the tables " + s.message());
        }
        CRQX_RETURN_IF_ERROR(read_version(link, &present, &version));
    }
    if (version > kServerFormatVersion)
        return Status::Error(HBVER, "the server's tables have format version " +
                                        std::to_string(version) + ", newer than this engine's " +
                                        std::to_string(kServerFormatVersion));
    return Status::OK();
}

}  // namespace store
}  // namespace crqx
