#include "aliases/aliases.h"

#include <vector>

#include "attributes/name_lists.h"
#include "objects/objects.h"

namespace crqx {
namespace aliases {

Status set_names(store::Database& db, const std::string& object, store::NameList list,
                 const std::string& text) {
    CRQX_RETURN_IF_ERROR(objects::check_object_name(db, object));
    store::DatabaseInfo info;
    CRQX_RETURN_IF_ERROR(db.store->read_info(&info));
    std::vector<std::string> names;
    CRQX_RETURN_IF_ERROR(attributes::parse_name_list(text, info.extra_dots != 0, &names));
    return objects::modify_object(db, object, [&](store::ObjectRecord& owner) {
        return db.store->write_names(owner.name, list, names);
    });
}

Status get_names(store::Database& db, const std::string& object, store::NameList list,
                 std::string* text) {
    CRQX_RETURN_IF_ERROR(objects::check_object_name(db, object));
    std::vector<std::string> names;
    CRQX_RETURN_IF_ERROR(db.store->read_names(object, list, &names));
    *text = attributes::join_name_list(names);
    return Status::OK();
}

}  // namespace aliases
}  // namespace crqx
