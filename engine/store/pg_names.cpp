// Attributes, aliases, associations and namelist elements in the server
// store: rows keyed by the object's id, so a rename keeps them and a
// delete takes them along.
#include "store/pg_store.h"

namespace crqx {
namespace store {
namespace {

const char* const kAttributeColumns = "name, type, frequency, number, text";

void read_attribute(const PgResult& r, int row, AttributeRecord* a) {
    a->name = r.bytes(row, 0);
    a->type = static_cast<int>(r.integer(row, 1));
    a->frequency = static_cast<int>(r.integer(row, 2));
    a->number = r.integer(row, 3);
    a->text = r.bytes(row, 4);
}

std::string list_table(NameList list) { return std::string("crqx.") + name_list_table(list); }

}  // namespace

Status PgStore::find_attribute(const std::string& object, const std::string& name,
                               AttributeRecord* record) {
    int64_t owner = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &owner));
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(std::string("SELECT ") + kAttributeColumns +
                                        " FROM crqx.attributes WHERE object_id = $1"
                                        " AND name_key = $2",
                                    PgParams().add(owner).add(name_key(name)), &r));
    if (r.rows() == 0)
        return Status::Error(HBATTR, "object '" + object + "' has no attribute '" + name + "'");
    read_attribute(r, 0, record);
    return Status::OK();
}

Status PgStore::write_attribute(const std::string& object, const AttributeRecord& record) {
    int64_t owner = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &owner));
    // The first spelling of an attribute's name stays (as with objects).
    return link_->run(
        "INSERT INTO crqx.attributes(object_id, name_key, name, type, frequency, number, text)"
        " VALUES ($1, $2, $3, $4, $5, $6, $7) ON CONFLICT (object_id, name_key) DO UPDATE SET"
        " type = excluded.type, frequency = excluded.frequency, number = excluded.number,"
        " text = excluded.text",
        PgParams()
            .add(owner)
            .add(name_key(record.name))
            .add(record.name)
            .add(int64_t{record.type})
            .add(int64_t{record.frequency})
            .add(record.number)
            .add(record.text));
}

Status PgStore::list_attributes(const std::string& object, std::vector<AttributeRecord>* records) {
    int64_t owner = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &owner));
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(std::string("SELECT ") + kAttributeColumns +
                                        " FROM crqx.attributes WHERE object_id = $1"
                                        " ORDER BY name_key",
                                    PgParams().add(owner), &r));
    for (int row = 0; row < r.rows(); ++row) {
        records->emplace_back();
        read_attribute(r, row, &records->back());
    }
    return Status::OK();
}

Status PgStore::read_names(const std::string& object, NameList list,
                           std::vector<std::string>* names) {
    int64_t owner = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &owner));
    PgResult r;
    CRQX_RETURN_IF_ERROR(link_->run(std::string("SELECT ") + name_list_column(list) + " FROM " +
                                        list_table(list) +
                                        " WHERE object_id = $1 ORDER BY position",
                                    PgParams().add(owner), &r));
    for (int row = 0; row < r.rows(); ++row) names->push_back(r.bytes(row, 0));
    return Status::OK();
}

Status PgStore::write_names(const std::string& object, NameList list,
                            const std::vector<std::string>& names) {
    int64_t owner = 0;
    CRQX_RETURN_IF_ERROR(object_id(object, &owner));
    CRQX_RETURN_IF_ERROR(link_->run("DELETE FROM " + list_table(list) + " WHERE object_id = $1",
                                    PgParams().add(owner)));
    bool alias = list == NameList::Aliases;
    int64_t position = 0;
    for (const std::string& name : names) {
        ++position;
        if (!alias) {
            CRQX_RETURN_IF_ERROR(link_->run("INSERT INTO " + list_table(list) +
                                                "(object_id, position, name) VALUES ($1, $2, $3)",
                                            PgParams().add(owner).add(position).add(name)));
            continue;
        }
        PgResult r;
        CRQX_RETURN_IF_ERROR(
            link_->run("SELECT name FROM crqx.objects WHERE database_id = $1 AND name_key = $2",
                       PgParams().add(id_).add(name_key(name)), &r));
        if (r.rows() != 0)
            return Status::Error(
                HOEXI, "alias '" + name + "' is the name of object '" + r.bytes(0, 0) + "'");
        CRQX_RETURN_IF_ERROR(check_not_alias(name));
        CRQX_RETURN_IF_ERROR(link_->run(
            "INSERT INTO crqx.aliases(database_id, alias_key, alias, object_id, position)"
            " VALUES ($1, $2, $3, $4, $5)",
            PgParams().add(id_).add(name_key(name)).add(name).add(owner).add(position)));
    }
    return Status::OK();
}

}  // namespace store
}  // namespace crqx
