#include "namelists/namelists.h"

#include <vector>

#include "attributes/name_lists.h"
#include "objects/names.h"
#include "objects/objects.h"
#include "store/store.h"

namespace crqx {
namespace namelists {
namespace {

using store::NameList;
using Names = std::vector<std::string>;

Status require_namelist(const store::ObjectRecord& r) {
    if (r.type == HNAMEL) return Status::OK();
    return Status::Error(HBTYPE, "object '" + r.name + "' is not a namelist");
}

Status read_list(store::Database& db, const std::string& object, Names* names) {
    store::ObjectRecord r;
    CRQX_RETURN_IF_ERROR(objects::find_object(db, object, &r));
    CRQX_RETURN_IF_ERROR(require_namelist(r));
    return db.store->read_names(r.name, NameList::Elements, names);
}

Status bad_index(int index, size_t count) {
    return Status::Error(
        HBINDX, "element " + std::to_string(index) + " is not within 1.." + std::to_string(count));
}

bool extra_dots(store::Database& db) {
    store::DatabaseInfo info;
    return db.store->read_info(&info).ok() && info.extra_dots != 0;
}

// The list after writing `text` at `index` (see write_element).
Status edited(store::Database& db, Names names, int index, const std::string& text, Names* out) {
    if (index == HNLALL) return attributes::parse_name_list(text, extra_dots(db), out);
    std::string name = attributes::trim_blanks(text);
    size_t count = names.size();
    if (index < 1 || static_cast<size_t>(index) > count + (name.empty() ? 0 : 1))
        return bad_index(index, count);
    size_t at = static_cast<size_t>(index) - 1;
    if (name.empty()) {
        names.erase(names.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
        CRQX_RETURN_IF_ERROR(objects::check_name(name, extra_dots(db)));
        for (size_t i = 0; i < count; ++i)
            if (i != at && store::name_key(names[i]) == store::name_key(name))
                return Status::Error(HDUP,
                                     "'" + name + "' is already element " + std::to_string(i + 1));
        if (at == count)
            names.push_back(name);
        else
            names[at] = name;
    }
    *out = std::move(names);
    return Status::OK();
}

}  // namespace

Status count_elements(store::Database& db, const std::string& object, int* count) {
    Names names;
    CRQX_RETURN_IF_ERROR(read_list(db, object, &names));
    *count = static_cast<int>(names.size());
    return Status::OK();
}

Status read_element(store::Database& db, const std::string& object, int index, std::string* text) {
    Names names;
    CRQX_RETURN_IF_ERROR(read_list(db, object, &names));
    if (index == HNLALL) {
        *text = attributes::join_name_list(names);
        return Status::OK();
    }
    if (index < 1 || static_cast<size_t>(index) > names.size())
        return bad_index(index, names.size());
    *text = names[static_cast<size_t>(index) - 1];
    return Status::OK();
}

Status write_element(store::Database& db, const std::string& object, int index,
                     const std::string& text) {
    CRQX_RETURN_IF_ERROR(objects::check_object_name(db, object));
    return objects::modify_object(db, object, [&](store::ObjectRecord& r) {
        CRQX_RETURN_IF_ERROR(require_namelist(r));
        Names names, updated;
        CRQX_RETURN_IF_ERROR(db.store->read_names(r.name, NameList::Elements, &names));
        CRQX_RETURN_IF_ERROR(edited(db, std::move(names), index, text, &updated));
        return db.store->write_names(r.name, NameList::Elements, updated);
    });
}

}  // namespace namelists
}  // namespace crqx
