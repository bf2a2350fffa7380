// Attributes by type code and by typed access.
#include "bindings/declare.h"
#include "crqx.h"

namespace pyrqx {

namespace {
// inlen is the room the getters offer for the value: the value's room grows
// to hold it (plus a terminator) so the library is never told of more.
using ValueRoom = RoomFor<param::value, param::inlen>;
// The library reads or stores the value in the type the code names, a
// number too: the char members' bytes get the 8 bytes of the widest.
using NumberRoom = RoomAtLeast<param::value, 8>;
}  // namespace

const FunctionTable& attribute_functions() {
    static const FunctionTable functions = {
        // By type code: one library function per operation, the value's C
        // type chosen by the Python function.
        member<qzvgtatt_f, int, ValueRoom>(value<int>, text, inout<int>, text, wide<int>,
                                           value<int>, inout<int>),
        member<qzvgtatt_f, float, ValueRoom>(value<int>, text, inout<int>, text, wide<float>,
                                             value<int>, inout<int>),
        member<qzvgtatt_f, double, ValueRoom>(value<int>, text, inout<int>, text, wide<double>,
                                              value<int>, inout<int>),
        member<qzvgtatt_f, char, All<NumberRoom, ValueRoom>>(value<int>, text, inout<int>, text,
                                                             bytes_cell, value<int>, inout<int>),
        member<qzvsatt_f, int>(value<int>, text, value<int>, text, wide<int>),
        member<qzvsatt_f, float>(value<int>, text, value<int>, text, wide<float>),
        member<qzvsatt_f, double>(value<int>, text, value<int>, text, wide<double>),
        member<qzvsatt_f, char, NumberRoom>(value<int>, text, value<int>, text, bytes_cell),
        classic<qzvlatt>(value<int>, text, value<int>, text, inout<int>),

        // Typed access: getters
        extended<zavo_get_boolean_attribute>(value<int>, text, text, inout<int>),
        extended<zavo_get_date_attribute>(value<int>, text, text, inout<int>, inout<int>),
        extended<zavo_get_namelist_attribute, ValueRoom>(value<int>, text, text, text, value<int>,
                                                         inout<int>),
        extended<zavo_get_numeric_attribute>(value<int>, text, text, inout<float>),
        extended<zavo_get_precision_attribute>(value<int>, text, text, inout<double>),
        extended<zavo_get_string_attribute, ValueRoom>(value<int>, text, text, text, value<int>,
                                                       inout<int>),

        // Typed access: setters
        extended<zavo_set_boolean_attribute>(value<int>, text, text, value<int>),
        extended<zavo_set_date_attribute>(value<int>, text, text, value<int>, value<int>),
        extended<zavo_set_namelist_attribute>(value<int>, text, text, text),
        extended<zavo_set_numeric_attribute>(value<int>, text, text, value<float>),
        extended<zavo_set_precision_attribute>(value<int>, text, text, value<double>),
        extended<zavo_set_string_attribute>(value<int>, text, text, text),
    };
    return functions;
}

}  // namespace pyrqx
