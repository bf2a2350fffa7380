// Objects: lifecycle, inquiry, wildcards, aliases, namelists, formulas.
#include "crqx.h"
#include "bindings/declare.h"
#include "bindings/objects_policies.h"

namespace pyrqx {
namespace {

// zavo_info's parameter positions.
enum InfoParam : size_t {
    kInfoDesc = 11, kInfoIndesclen, kInfoOutdesclen,
    kInfoDoc, kInfoIndoclen, kInfoOutdoclen,
};

// zavo_info: both texts get room for their stated lengths; each length is
// written back before its text, and the text only when that length is
// positive.
using InfoPolicy = InOrder<
    All<RoomFor<kInfoDesc, kInfoIndesclen>, RoomFor<kInfoDoc, kInfoIndoclen>,
        TextWhenLengthPositive<kInfoDesc, kInfoOutdesclen>,
        TextWhenLengthPositive<kInfoDoc, kInfoOutdoclen>>,
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
    kInfoOutdesclen, kInfoDesc, kInfoIndesclen,
    kInfoOutdoclen, kInfoDoc, kInfoIndoclen>;

}  // namespace

const FunctionTable& object_functions() {
    static const FunctionTable table = {
        // Lifecycle
        classic<qzvnwob>("qzvnwob", value<int>("dbkey"), text("objnam"), value<int>("class_"),
                         value<int>("freq"), value<int>("type"), value<int>("basis"),
                         value<int>("observ")),
        classic<qzvalob>("qzvalob", value<int>("dbkey"), text("objnam"), value<int>("class_"),
                         value<int>("freq"), value<int>("type"), value<int>("basis"),
                         value<int>("observ"), value<int>("numobs"), value<int>("numchr"),
                         value<float>("growth")),
        classic<qzvcpob>("qzvcpob", value<int>("srckey"), value<int>("tarkey"), text("srcnam"),
                         text("tarnam")),
        classic<qzvdlob>("qzvdlob", value<int>("dbkey"), text("objnam")),
        classic<qzvrnob>("qzvrnob", value<int>("dbkey"), text("srcnam"), text("tarnam")),
        classic<qzvsbas>("qzvsbas", value<int>("dbkey"), text("objnam"), value<int>("basis")),
        classic<qzvsobs>("qzvsobs", value<int>("dbkey"), text("objnam"), value<int>("observ")),
        classic<qzvsdes>("qzvsdes", value<int>("dbkey"), text("objnam"), text("desc")),
        classic<qzvsdoc>("qzvsdoc", value<int>("dbkey"), text("objnam"), text("doc")),

        // Inquiry
        classic<qzvwhat>("qzvwhat", value<int>("dbkey"), text("objnam"), inout<int>("class_"),
                         inout<int>("type"), inout<int>("freq"), inout<int>("basis"),
                         inout<int>("observ"), inout<int>("fyear"), inout<int>("fprd"),
                         inout<int>("lyear"), inout<int>("lprd"), inout<int>("cyear"),
                         inout<int>("cmonth"), inout<int>("cday"), inout<int>("myear"),
                         inout<int>("mmonth"), inout<int>("mday"), text("desc"), text("doc")),
        classic<qzvosiz>("qzvosiz", value<int>("dbkey"), text("objnam"), inout<int>("class_"),
                         inout<int>("type"), inout<int>("freq"), inout<int>("fyear"),
                         inout<int>("fprd"), inout<int>("lyear"), inout<int>("lprd")),
        classic<qzvdlen>("qzvdlen", value<int>("dbkey"), text("objnam"), inout<int>("deslen"),
                         inout<int>("doclen")),
        classic<qzvgdat>("qzvgdat", value<int>("dbkey"), text("objnam"), value<int>("freq"),
                         inout<int>("cdate"), inout<int>("mdate")),
        classic<qzvgnam>("qzvgnam", value<int>("dbkey"), text("objnam"), text("basnam")),
        extended<zavo_info, InfoPolicy>(
            "zavo_info", value<int>("dbkey"), text("oname"), inout<int>("oclass"),
            inout<int>("type"), inout<int>("freq"), inout<int>("findex"), inout<int>("lindex"),
            inout<int>("basis"), inout<int>("observ"), inout<int>("cdate"), inout<int>("mdate"),
            text("desc"), value<int>("indesclen"), inout<int>("outdesclen"), text("doc"),
            value<int>("indoclen"), inout<int>("outdoclen")),
        extended<zavo_quick_info>("zavo_quick_info", value<int>("dbkey"), text("oname"),
                                  inout<int>("oclass"), inout<int>("type"), inout<int>("freq"),
                                  inout<int>("findex"), inout<int>("lindex")),
        extended<zavo_get_real_name, RoomFor<2, 3>>(
            "zavo_get_real_name", value<int>("dbkey"), text("objname"), text("basename"),
            value<int>("inlen"), inout<int>("outlen")),
        extended<zavo_type_to_string, RoomFor<1, 2>>(
            "zavo_type_to_string", value<int>("type"), text("type_spec"), value<int>("inlen"),
            inout<int>("outlen")),
        extended<zavo_dimnum>("zavo_dimnum", inout<int>("dimnum"), one_char("dimchar")),
        // The library writes a letter and its terminator, told no room.
        extended<zavo_dimchar, RoomAtLeast<0, 2>>("zavo_dimchar", text("dimchar"),
                                                  value<int>("dimnum")),

        // Wildcard search
        classic<qzvinwc>("qzvinwc", value<int>("dbkey"), text("wilnam")),
        classic<qzvnxwc, WhenStatusIsSuccess>(
            "qzvnxwc", value<int>("dbkey"), text("objnam"), inout<int>("class_"),
            inout<int>("type"), inout<int>("freq")),
        extended<zavo_init_wildcard>("zavo_init_wildcard", value<int>("dbkey"),
                                     inout<int>("wildkey"), text("wildname"),
                                     value<int>("wildonly"), text("wildstart")),
        extended<zavo_get_next_wildcard, RoomFor<1, 7>>(
            "zavo_get_next_wildcard", value<int>("wildkey"), text("objname"),
            inout<int>("obj_class"), inout<int>("type"), inout<int>("freq"), inout<int>("start"),
            inout<int>("end"), value<int>("inlen"), inout<int>("outlen")),
        single<zavo_free_wildcard>("zavo_free_wildcard", value<int>("wildkey")),

        // Aliases and associations
        classic<qzvsali>("qzvsali", value<int>("dbkey"), text("objnam"), text("aliass")),
        classic<qzvgtali, RoomFor<3, 4>>("qzvgtali", value<int>("dbkey"), text("objnam"),
                                         text("aliass"), value<int>("inlen"),
                                         inout<int>("outlen")),
        classic<qzvlali>("qzvlali", value<int>("dbkey"), text("objnam"), inout<int>("alilen")),
        classic<qzvsaso>("qzvsaso", value<int>("dbkey"), text("objnam"), text("assoc")),
        classic<qzvgtaso, RoomFor<3, 4>>("qzvgtaso", value<int>("dbkey"), text("objnam"),
                                         text("assoc"), value<int>("inlen"),
                                         inout<int>("outlen")),
        classic<qzvlaso>("qzvlaso", value<int>("dbkey"), text("objnam"), inout<int>("asolen")),

        // Namelists
        classic<qzvgtnl, RoomFor<4, 5>>("qzvgtnl", value<int>("dbkey"), text("objnam"),
                                        value<int>("index"), text("strval"), value<int>("inlen"),
                                        inout<int>("outlen")),
        classic<qzvwtnl>("qzvwtnl", value<int>("dbkey"), text("objnam"), value<int>("index"),
                         text("strval")),
        classic<qzvnlen>("qzvnlen", value<int>("dbkey"), text("objnam"), value<int>("index"),
                         inout<int>("length")),
        classic<qzvncnt>("qzvncnt", value<int>("dbkey"), text("objnam"), inout<int>("length")),

        // Formulas and expressions
        classic<qzvrdfm, RoomFor<3, 4>>("qzvrdfm", value<int>("dbkey"), text("objnam"),
                                        text("source"), value<int>("ilen"), inout<int>("olen")),
        extended<zavo_create_formula>("zavo_create_formula", value<int>("dbkey"), text("oname"),
                                      text("value")),
        extended<zavo_create_global_formula>("zavo_create_global_formula", value<int>("dbkey"),
                                             text("oname"), text("value")),
        extended<zavo_modify_formula>("zavo_modify_formula", value<int>("dbkey"), text("oname"),
                                      text("value")),
        classic<qzvrmev>("qzvrmev", value<int>("dbkey"), text("expr"), text("optns"),
                         value<int>("wdbkey"), text("objnam")),
    };
    return table;
}

}  // namespace pyrqx
