// Objects: lifecycle, inquiry, wildcards, aliases, namelists, formulas.
#include "bindings/declare.h"
#include "crqx.h"

namespace pyrqx {
namespace {

// zavo_info: both texts get room for their stated lengths; each length is
// written back before its text, and the text only when that length is
// positive.
using InfoPolicy = All<RoomFor<param::desc, param::indesclen>, RoomFor<param::doc, param::indoclen>,
                       TextWhenLengthPositive<param::desc, param::outdesclen>,
                       TextWhenLengthPositive<param::doc, param::outdoclen>>;

}  // namespace

const FunctionTable& object_functions() {
    static const FunctionTable functions = {
        // Lifecycle
        classic<qzvnwob>(value<int>, text, value<int>, value<int>, value<int>, value<int>,
                         value<int>),
        classic<qzvalob>(value<int>, text, value<int>, value<int>, value<int>, value<int>,
                         value<int>, value<int>, value<int>, value<float>),
        classic<qzvcpob>(value<int>, value<int>, text, text),
        classic<qzvdlob>(value<int>, text),
        classic<qzvrnob>(value<int>, text, text),
        classic<qzvsbas>(value<int>, text, value<int>),
        classic<qzvsobs>(value<int>, text, value<int>),
        classic<qzvsdes>(value<int>, text, text),
        classic<qzvsdoc>(value<int>, text, text),

        // Inquiry
        classic<qzvwhat>(value<int>, text, inout<int>, inout<int>, inout<int>, inout<int>,
                         inout<int>, inout<int>, inout<int>, inout<int>, inout<int>, inout<int>,
                         inout<int>, inout<int>, inout<int>, inout<int>, inout<int>, text, text),
        classic<qzvosiz>(value<int>, text, inout<int>, inout<int>, inout<int>, inout<int>,
                         inout<int>, inout<int>, inout<int>),
        classic<qzvdlen>(value<int>, text, inout<int>, inout<int>),
        classic<qzvgdat>(value<int>, text, value<int>, inout<int>, inout<int>),
        classic<qzvgnam>(value<int>, text, text),
        extended<zavo_info, InfoPolicy>(value<int>, text, inout<int>, inout<int>, inout<int>,
                                        inout<int>, inout<int>, inout<int>, inout<int>, inout<int>,
                                        inout<int>, text, value<int>, inout<int>, text, value<int>,
                                        inout<int>),
        extended<zavo_quick_info>(value<int>, text, inout<int>, inout<int>, inout<int>, inout<int>,
                                  inout<int>),
        extended<zavo_get_real_name, RoomFor<param::basename, param::inlen>>(
            value<int>, text, text, value<int>, inout<int>),
        extended<zavo_type_to_string, RoomFor<param::type_spec, param::inlen>>(
            value<int>, text, value<int>, inout<int>),
        extended<zavo_dimnum>(inout<int>, one_char),
        // The library writes a letter and its terminator, told no room.
        extended<zavo_dimchar, RoomAtLeast<param::dimchar, 2>>(text, value<int>),

        // Wildcard search
        classic<qzvinwc>(value<int>, text),
        classic<qzvnxwc, WhenStatusIsSuccess>(value<int>, text, inout<int>, inout<int>, inout<int>),
        extended<zavo_init_wildcard>(value<int>, inout<int>, text, value<int>, text),
        extended<zavo_get_next_wildcard, RoomFor<param::objname, param::inlen>>(
            value<int>, text, inout<int>, inout<int>, inout<int>, inout<int>, inout<int>,
            value<int>, inout<int>),
        single<zavo_free_wildcard>(value<int>),

        // Aliases and associations
        classic<qzvsali>(value<int>, text, text),
        classic<qzvgtali, RoomFor<param::aliass, param::inlen>>(value<int>, text, text, value<int>,
                                                                inout<int>),
        classic<qzvlali>(value<int>, text, inout<int>),
        classic<qzvsaso>(value<int>, text, text),
        classic<qzvgtaso, RoomFor<param::assoc, param::inlen>>(value<int>, text, text, value<int>,
                                                               inout<int>),
        classic<qzvlaso>(value<int>, text, inout<int>),

        // Namelists
        classic<qzvgtnl, RoomFor<param::strval, param::inlen>>(value<int>, text, value<int>, text,
                                                               value<int>, inout<int>),
        classic<qzvwtnl>(value<int>, text, value<int>, text),
        classic<qzvnlen>(value<int>, text, value<int>, inout<int>),
        classic<qzvncnt>(value<int>, text, inout<int>),

        // Formulas and expressions
        classic<qzvrdfm, RoomFor<param::source, param::ilen>>(value<int>, text, text, value<int>,
                                                              inout<int>),
        extended<zavo_create_formula>(value<int>, text, text),
        extended<zavo_create_global_formula>(value<int>, text, text),
        extended<zavo_modify_formula>(value<int>, text, text),
        classic<qzvrmev>(value<int>, text, text, value<int>, text),
    };
    return functions;
}

}  // namespace pyrqx
