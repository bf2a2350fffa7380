// User attributes of objects: named values of one of six kinds (numeric,
// precision, boolean, string, namelist, date with its frequency), kept with
// the object in its database. An attribute's kind is fixed when it is first
// set; setting it again needs a value of the same kind (a date may change
// its frequency).
#pragma once

#include <string>

#include "store/registry.h"
#include "store/store.h"

namespace crqx {
namespace attributes {

using store::AttributeRecord;

AttributeRecord numeric_value(float value);
AttributeRecord precision_value(double value);
AttributeRecord boolean_value(int value);  // 0, missing codes kept; other values become 1
AttributeRecord date_value(int index, int frequency);
AttributeRecord string_value(const std::string& text);
AttributeRecord namelist_value(const std::string& text);  // checked and normalised when set

float numeric_of(const AttributeRecord& r);
double precision_of(const AttributeRecord& r);

// The type code of the classic interface: a date's frequency, else the kind.
int classic_type(const AttributeRecord& r);
// The length reported for a value: the bytes of a text, else the size of
// the C value (4 for numeric, boolean and date, 8 for precision).
int value_length(const AttributeRecord& r);
// "NUMERIC", "PRECISION", ... for messages.
std::string kind_name(int type);

// Attribute names follow the rules of object names (HBOBJT, HNTOOLONG).
Status check_attribute_name(store::Database& db, const std::string& name);

// Sets attribute `value.name` of `object` (a name or an alias) as one change
// that also dates the object. HBATYP when the attribute exists with another
// kind; HBFREQ for a date of an invalid frequency; namelist statuses of
// parse_name_list; HNOOBJ, HREADO, HLOCKD.
Status set_attribute(store::Database& db, const std::string& object, AttributeRecord value);

// Reads attribute `name` of `object`: HBATTR when it has none of that name.
Status get_attribute(store::Database& db, const std::string& object, const std::string& name,
                     AttributeRecord* record);

// HBATYP (naming the attribute's kind) unless `record` is of kind `type`.
Status require_kind(const AttributeRecord& record, int type);

}  // namespace attributes
}  // namespace crqx
