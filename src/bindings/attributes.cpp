// Attributes by type code and by typed access.
#include "crqx.h"
#include "bindings/declare.h"

namespace pyrqx {

namespace {
// Parameter positions (the status cell of a classic function is 0).
constexpr size_t kGetValue = 5, kGetInlen = 6;        // qzvgtatt_*
constexpr size_t kTypedValue = 3, kTypedInlen = 4;    // zavo_get_{string,namelist}_attribute

// inlen is the room the getters offer for the value: the value's room grows
// to hold it (plus a terminator) so the library is never told of more.
using GetByCode = RoomFor<kGetValue, kGetInlen>;
using GetText = RoomFor<kTypedValue, kTypedInlen>;
}  // namespace

const FunctionTable& attribute_functions() {
    static const FunctionTable table = {
        // By type code: one library function per operation, the value's C
        // type chosen by the Python function.
        classic<qzvgtatt_f, GetByCode>("qzvgtatt_int", value<int>("dbkey"), text("objnam"),
            inout<int>("atttyp"), text("attnam"), wide<int>("value"),
            value<int>("inlen"), inout<int>("outlen")),
        classic<qzvgtatt_f, GetByCode>("qzvgtatt_float", value<int>("dbkey"), text("objnam"),
            inout<int>("atttyp"), text("attnam"), wide<float>("value"),
            value<int>("inlen"), inout<int>("outlen")),
        classic<qzvgtatt_f, GetByCode>("qzvgtatt_double", value<int>("dbkey"), text("objnam"),
            inout<int>("atttyp"), text("attnam"), wide<double>("value"),
            value<int>("inlen"), inout<int>("outlen")),
        classic<qzvgtatt_f, GetByCode>("qzvgtatt_char", value<int>("dbkey"), text("objnam"),
            inout<int>("atttyp"), text("attnam"), bytes_cell("value"),
            value<int>("inlen"), inout<int>("outlen")),
        classic<qzvsatt_f>("qzvsatt_int", value<int>("dbkey"), text("objnam"),
            value<int>("atttyp"), text("attnam"), wide<int>("value")),
        classic<qzvsatt_f>("qzvsatt_float", value<int>("dbkey"), text("objnam"),
            value<int>("atttyp"), text("attnam"), wide<float>("value")),
        classic<qzvsatt_f>("qzvsatt_double", value<int>("dbkey"), text("objnam"),
            value<int>("atttyp"), text("attnam"), wide<double>("value")),
        classic<qzvsatt_f>("qzvsatt_char", value<int>("dbkey"), text("objnam"),
            value<int>("atttyp"), text("attnam"), bytes_cell("value")),
        classic<qzvlatt>("qzvlatt", value<int>("dbkey"), text("objnam"), value<int>("atttyp"),
            text("attnam"), inout<int>("attlen")),

        // Typed access: getters
        extended<zavo_get_boolean_attribute>("zavo_get_boolean_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), inout<int>("value")),
        extended<zavo_get_date_attribute>("zavo_get_date_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), inout<int>("value"), inout<int>("freq")),
        extended<zavo_get_namelist_attribute, GetText>("zavo_get_namelist_attribute",
            value<int>("dbkey"), text("objnam"), text("attnam"), text("value"),
            value<int>("inlen"), inout<int>("outlen")),
        extended<zavo_get_numeric_attribute>("zavo_get_numeric_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), inout<float>("value")),
        extended<zavo_get_precision_attribute>("zavo_get_precision_attribute",
            value<int>("dbkey"), text("objnam"), text("attnam"), inout<double>("value")),
        extended<zavo_get_string_attribute, GetText>("zavo_get_string_attribute",
            value<int>("dbkey"), text("objnam"), text("attnam"), text("value"),
            value<int>("inlen"), inout<int>("outlen")),

        // Typed access: setters
        extended<zavo_set_boolean_attribute>("zavo_set_boolean_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), value<int>("value")),
        extended<zavo_set_date_attribute>("zavo_set_date_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), value<int>("value"), value<int>("freq")),
        extended<zavo_set_namelist_attribute>("zavo_set_namelist_attribute",
            value<int>("dbkey"), text("objnam"), text("attnam"), text("value")),
        extended<zavo_set_numeric_attribute>("zavo_set_numeric_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), value<float>("value")),
        extended<zavo_set_precision_attribute>("zavo_set_precision_attribute",
            value<int>("dbkey"), text("objnam"), text("attnam"), value<double>("value")),
        extended<zavo_set_string_attribute>("zavo_set_string_attribute", value<int>("dbkey"),
            text("objnam"), text("attnam"), text("value")),
    };
    return table;
}

}  // namespace pyrqx
