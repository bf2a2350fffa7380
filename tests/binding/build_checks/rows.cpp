// Declaration rows that must not compile, one per ROW_* definition, and the
// correct row they are variants of (no definition), which must. The build
// checks of the top CMakeLists.txt compile each and look for the message.
#include "bindings/declare.h"

namespace pyrqx {

Function checked_row() {
#if defined(ROW_MISSPELT_PARTNER)
    // inlen misspelt: no function has such a parameter.
    return classic<qzvgtstr, RoomFor<param::strval, param::inlne>>(
        value<int>, text, range, text, inout<int>, value<int>, inout<int>);
#elif defined(ROW_PARTNER_OF_ANOTHER_FUNCTION)
    // length is qzvwstr's parameter; qzvgtstr has inlen.
    return classic<qzvgtstr, RoomFor<param::strval, param::length>>(
        value<int>, text, range, text, inout<int>, value<int>, inout<int>);
#elif defined(ROW_KIND_MISSING)
    return classic<qzvgtstr, RoomFor<param::strval, param::inlen>>(value<int>, text, range, text,
                                                                   inout<int>, value<int>);
#elif defined(ROW_WRONG_FORM)
    return extended<qzvgtstr, RoomFor<param::strval, param::inlen>>(
        status, value<int>, text, range, text, inout<int>, value<int>, inout<int>);
#else
    return classic<qzvgtstr, RoomFor<param::strval, param::inlen>>(
        value<int>, text, range, text, inout<int>, value<int>, inout<int>);
#endif
}

}  // namespace pyrqx
