// The catalog and the value chunks of the server store: database
// properties, object records and their chunks, as SQL over the tables of
// pg_schema.cpp.
#include "store/pg_store.h"

namespace crqx {
namespace store {
namespace {

// SQL for the id of the object that $2 names in database $1: its own name
// first, else one of its aliases.
const char* const kResolvedId =
    "(SELECT id FROM crqx.objects WHERE database_id = $1 AND name_key = $2"
    " UNION ALL SELECT object_id FROM crqx.aliases WHERE database_id = $1 AND alias_key = $2"
    " LIMIT 1)";

void read_record(const PgResult& r, int row, ObjectRecord* o) {
    o->name = r.bytes(row, 0);
    o->object_class = static_cast<int>(r.integer(row, 1));
    o->type = static_cast<int>(r.integer(row, 2));
    o->frequency = static_cast<int>(r.integer(row, 3));
    o->basis = static_cast<int>(r.integer(row, 4));
    o->observed = static_cast<int>(r.integer(row, 5));
    o->description = r.bytes(row, 6);
    o->documentation = r.bytes(row, 7);
    o->created_ms = r.integer(row, 8);
    o->modified_ms = r.integer(row, 9);
    o->first_index = r.index(row, 10);
    o->last_index = r.index(row, 11);
    o->numobs_hint = static_cast<int>(r.integer(row, 12));
    o->numchr_hint = static_cast<int>(r.integer(row, 13));
    o->growth_hint = r.real(row, 14);
}

// Appends the record's columns in the order of kObjectColumns, then its key.
void add_record(PgParams& p, const ObjectRecord& o) {
    p.add(o.name).add(int64_t{o.object_class}).add(int64_t{o.type}).add(int64_t{o.frequency});
    p.add(int64_t{o.basis}).add(int64_t{o.observed}).add(o.description).add(o.documentation);
    p.add(o.created_ms).add(o.modified_ms).add(o.first_index).add(o.last_index);
    p.add(int64_t{o.numobs_hint}).add(int64_t{o.numchr_hint}).add(o.growth_hint);
    p.add(name_key(o.name));
}

Status no_object(const std::string& name) {
    return Status::Error(HNOOBJ, "object '" + name + "' does not exist");
}

}  // namespace

Status PgStore::object_id(const std::string& name, int64_t* id) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(std::string("SELECT ") + kResolvedId,
                                    PgParams().add(id_).add(name_key(name)), &r));
    if (r.rows() == 0 || r.is_null(0, 0)) return no_object(name);
    *id = r.integer(0, 0);
    return Status::OK();
}

Status PgStore::check_not_alias(const std::string& name) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(
        link_->run("SELECT alias FROM crqx.aliases WHERE database_id = $1 AND alias_key = $2",
                   PgParams().add(id_).add(name_key(name)), &r));
    if (r.rows() != 0)
        return Status::Error(HOEXI, "'" + name + "' is already an alias ('" + r.bytes(0, 0) + "')");
    return Status::OK();
}

Status PgStore::read_info(DatabaseInfo* info) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(
        "SELECT created_ms, modified_ms, description, documentation, dimension, extra_dots"
        " FROM crqx.databases WHERE id = $1",
        PgParams().add(id_), &r));
    if (r.rows() == 0) return Status::Error(HRNEXI, "the database no longer exists on the server");
    info->created_ms = r.integer(0, 0);
    info->modified_ms = link_->changed(id_) ? link_->changed_at(id_) : r.integer(0, 1);
    info->description = r.bytes(0, 2);
    info->documentation = r.bytes(0, 3);
    info->dimension = static_cast<int>(r.integer(0, 4));
    info->extra_dots = static_cast<int>(r.integer(0, 5));
    info->version = kServerFormatVersion;
    return Status::OK();
}

Status PgStore::write_info(const DatabaseInfo& info) {
    return link_->run(
        "UPDATE crqx.databases SET description = $2, documentation = $3, dimension = $4,"
        " extra_dots = $5 WHERE id = $1",
        PgParams()
            .add(id_)
            .add(info.description)
            .add(info.documentation)
            .add(int64_t{info.dimension})
            .add(int64_t{info.extra_dots}));
}

Status PgStore::find_object(const std::string& name, ObjectRecord* record) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(
        std::string("SELECT ") + kObjectColumns + " FROM crqx.objects WHERE id = " + kResolvedId,
        PgParams().add(id_).add(name_key(name)), &r));
    if (r.rows() == 0) return no_object(name);
    read_record(r, 0, record);
    return Status::OK();
}

Status PgStore::insert_object(const ObjectRecord& record) {
    CRQX_RETURN_IF_ERROR(check_not_alias(record.name));
    PgParams p;
    p.add(id_);
    add_record(p, record);
    return link_->run(std::string("INSERT INTO crqx.objects(database_id, ") + kObjectColumns +
                          ", name_key) VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11,$12,$13,$14,"
                          "$15,$16,$17)",
                      p, nullptr, HOEXI, "object '" + record.name + "' already exists");
}

Status PgStore::update_object(const std::string& name, const ObjectRecord& record) {
    PgParams p;
    p.add(id_).add(name_key(name));
    add_record(p, record);
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(
        std::string("UPDATE crqx.objects SET name=$3, class=$4, type=$5, frequency=$6, basis=$7,"
                    " observed=$8, description=$9, documentation=$10, created_ms=$11,"
                    " modified_ms=$12, first_index=$13, last_index=$14, numobs_hint=$15,"
                    " numchr_hint=$16, growth_hint=$17, name_key=$18 WHERE id = ") +
            kResolvedId,
        p, &r, HOEXI, "object '" + record.name + "' already exists"));
    if (r.affected() == 0) return no_object(name);
    return Status::OK();
}

Status PgStore::delete_object(const std::string& name) {
    int64_t object = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &object));
    // Values, attributes and name lists go with it (ON DELETE CASCADE).
    return link_->run("DELETE FROM crqx.objects WHERE id = $1", PgParams().add(object));
}

Status PgStore::list_objects(std::vector<ObjectRecord>* records) {
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(std::string("SELECT ") + kObjectColumns +
                                        " FROM crqx.objects WHERE database_id = $1"
                                        " ORDER BY name_key",
                                    PgParams().add(id_), &r));
    for (int row = 0; row < r.rows(); ++row) {
        records->emplace_back();
        read_record(r, row, &records->back());
    }
    return Status::OK();
}

Status PgStore::read_chunk_span(const std::string& name, int64_t first, int64_t last,
                                std::vector<Chunk>* chunks) {
    // One statement reads the chunks (one snapshot: never half a commit);
    // only an empty answer asks whether the object exists at all.
    PgResult r;
    CRQX_RETURN_IF_ERROR(
        link_->run(std::string("SELECT chunk, data FROM crqx.value_chunks WHERE object_id = ") +
                       kResolvedId + " AND chunk BETWEEN $3 AND $4 ORDER BY chunk",
                   PgParams().add(id_).add(name_key(name)).add(first).add(last), &r));
    if (r.rows() == 0) {
        int64_t object = 0;
        return object_id(name, &object);
    }
    for (int row = 0; row < r.rows(); ++row)
        chunks->push_back({r.integer(row, 0), r.bytes(row, 1)});
    return Status::OK();
}

Status PgStore::write_chunks(const std::string& name, const std::vector<Chunk>& chunks) {
    int64_t object = 0;
    CRQX_RETURN_IF_ERROR(object_id(name, &object));
    for (const Chunk& c : chunks)
        CRQX_RETURN_IF_ERROR(
            link_->run("INSERT INTO crqx.value_chunks(object_id, chunk, data) VALUES ($1, $2, $3)"
                       " ON CONFLICT (object_id, chunk) DO UPDATE SET data = excluded.data",
                       PgParams().add(object).add(c.number).add(c.data)));
    return Status::OK();
}

}  // namespace store
}  // namespace crqx
