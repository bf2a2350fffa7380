#include "attributes/attributes.h"

#include <cstring>

#include "attributes/name_lists.h"
#include "calendar/frequency.h"
#include "core/missing.h"
#include "objects/names.h"
#include "objects/objects.h"

namespace crqx {
namespace attributes {
namespace {

int64_t bits_of(double value) {
    int64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double double_of(int64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool is_missing_int(int v) {
    return v == missing::kIntNC || v == missing::kIntND || v == missing::kIntNA;
}

// Dates carry a frequency code, which never collides with a kind's code.
Status check_date_frequency(int frequency) {
    if (frequency >= HDAILY && calendar::describe_frequency(frequency).has_value())
        return Status::OK();
    return Status::Error(HBFREQ,
                         "frequency " + std::to_string(frequency) + " is not valid for a date");
}

Status prepare_value(store::Database& db, AttributeRecord* value) {
    if (value->type == HDATE) return check_date_frequency(value->frequency);
    if (value->type != HNAMEL) return Status::OK();
    store::DatabaseInfo info;
    CRQX_RETURN_IF_ERROR(db.store->read_info(&info));
    std::vector<std::string> names;
    CRQX_RETURN_IF_ERROR(parse_name_list(value->text, info.extra_dots != 0, &names));
    value->text = join_name_list(names);
    return Status::OK();
}

}  // namespace

AttributeRecord numeric_value(float value) {
    AttributeRecord r;
    r.type = HNUMRC;
    r.number = bits_of(static_cast<double>(value));
    return r;
}

AttributeRecord precision_value(double value) {
    AttributeRecord r;
    r.type = HPRECN;
    r.number = bits_of(value);
    return r;
}

AttributeRecord boolean_value(int value) {
    AttributeRecord r;
    r.type = HBOOLN;
    r.number = (value == 0 || is_missing_int(value)) ? value : 1;
    return r;
}

AttributeRecord date_value(int index, int frequency) {
    AttributeRecord r;
    r.type = HDATE;
    r.frequency = frequency;
    r.number = index;
    return r;
}

AttributeRecord string_value(const std::string& text) {
    AttributeRecord r;
    r.type = HSTRNG;
    r.text = text;
    return r;
}

AttributeRecord namelist_value(const std::string& text) {
    AttributeRecord r = string_value(text);
    r.type = HNAMEL;
    return r;
}

float numeric_of(const AttributeRecord& r) { return static_cast<float>(double_of(r.number)); }
double precision_of(const AttributeRecord& r) { return double_of(r.number); }

int classic_type(const AttributeRecord& r) { return r.type == HDATE ? r.frequency : r.type; }

int value_length(const AttributeRecord& r) {
    switch (r.type) {
        case HSTRNG:
        case HNAMEL: return static_cast<int>(r.text.size());
        case HPRECN: return static_cast<int>(sizeof(double));
        default: return static_cast<int>(sizeof(int));
    }
}

std::string kind_name(int type) {
    switch (type) {
        case HNUMRC: return "NUMERIC";
        case HPRECN: return "PRECISION";
        case HBOOLN: return "BOOLEAN";
        case HSTRNG: return "STRING";
        case HNAMEL: return "NAMELIST";
        case HDATE: return "DATE";
        default: return "type " + std::to_string(type);
    }
}

Status check_attribute_name(store::Database& db, const std::string& name) {
    store::DatabaseInfo info;
    CRQX_RETURN_IF_ERROR(db.store->read_info(&info));
    Status s = objects::check_name(name, info.extra_dots != 0);
    if (s.ok()) return s;
    std::string message = s.message();
    size_t at = message.find("object name");
    if (at != std::string::npos) message.replace(at, 6, "attribute");
    return Status::Error(s.code(), message);
}

Status require_kind(const AttributeRecord& record, int type) {
    if (record.type == type) return Status::OK();
    return Status::Error(HBATYP, "attribute '" + record.name + "' is " + kind_name(record.type) +
                                     ", not " + kind_name(type));
}

Status set_attribute(store::Database& db, const std::string& object, AttributeRecord value) {
    CRQX_RETURN_IF_ERROR(check_attribute_name(db, value.name));
    CRQX_RETURN_IF_ERROR(prepare_value(db, &value));
    return objects::modify_object(db, object, [&](store::ObjectRecord& owner) {
        AttributeRecord existing;
        Status found = db.store->find_attribute(owner.name, value.name, &existing);
        if (found.ok())
            CRQX_RETURN_IF_ERROR(require_kind(existing, value.type));
        else if (found.code() != HBATTR)
            return found;
        return db.store->write_attribute(owner.name, value);
    });
}

Status get_attribute(store::Database& db, const std::string& object, const std::string& name,
                     AttributeRecord* record) {
    CRQX_RETURN_IF_ERROR(objects::check_object_name(db, object));
    CRQX_RETURN_IF_ERROR(check_attribute_name(db, name));
    return db.store->find_attribute(object, name, record);
}

}  // namespace attributes
}  // namespace crqx
