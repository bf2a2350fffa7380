// Sessions, databases, connections and commands.
#include "crqx.h"
#include "bindings/declare.h"

namespace pyrqx {

const FunctionTable& session_functions() {
    static const FunctionTable table = {
        // The session
        single<qzvini>("qzvini", status()),
        single<qzvfin>("qzvfin", status()),
        classic<qzvver>("qzvver", inout<float>("ver")),
        classic<qzvferr>("qzvferr", text("errtxt")),
        classic<qzvlerr>("qzvlerr", inout<int>("len")),
        classic<qzvsopt>("qzvsopt", text("optnam"), text("optval")),
        classic<qzvspos>("qzvspos", value<int>("flag")),

        // Databases: the open functions hand out the key through a cell
        classic<qzvopdb>("qzvopdb", inout<int>("dbkey"), text("dbname"), value<int>("mode")),
        classic<qzvopdc>("qzvopdc", inout<int>("dbkey"), text("dbname"), value<int>("mode"),
                         value<int>("connkey")),
        classic<qzvopre>("qzvopre", inout<int>("dbkey"), text("svname")),
        classic<qzvoprc>("qzvoprc", inout<int>("dbkey"), value<int>("connkey")),
        classic<qzvopwk>("qzvopwk", inout<int>("dbkey")),
        classic<qzvcldb>("qzvcldb", value<int>("dbkey")),
        classic<qzvpodb>("qzvpodb", value<int>("dbkey")),
        classic<qzvrsdb>("qzvrsdb", value<int>("dbkey")),
        classic<qzvpack>("qzvpack", value<int>("dbkey")),
        classic<qzvgdba>("qzvgdba", value<int>("dbkey"), inout<int>("cyear"), inout<int>("cmonth"),
                         inout<int>("cday"), inout<int>("myear"), inout<int>("mmonth"),
                         inout<int>("mday"), text("desc"), text("doc")),
        classic<qzvgdbd>("qzvgdbd", value<int>("dbkey"), value<int>("freq"), inout<int>("cdate"),
                         inout<int>("mdate")),
        classic<qzvddes>("qzvddes", value<int>("dbkey"), text("des")),
        classic<qzvddoc>("qzvddoc", value<int>("dbkey"), text("doc")),
        classic<qzvglen>("qzvglen", value<int>("dbkey"), inout<int>("deslen"), inout<int>("doclen")),
        classic<qzvset_dimension>("qzvset_dimension", value<int>("dbkey"), value<int>("dimen")),
        classic<qzvget_dimension>("qzvget_dimension", value<int>("dbkey"), inout<int>("dimen")),
        classic<qzvset_extradots>("qzvset_extradots", value<int>("dbkey"), value<int>("xdots")),
        classic<qzvget_extradots>("qzvget_extradots", value<int>("dbkey"), inout<int>("xdots")),
        extended<zavo_get_dbversion>("zavo_get_dbversion", value<int>("dbkey"),
                                     inout<int>("dbversion")),
        extended<zavo_get_db_dates>("zavo_get_db_dates", value<int>("dbkey"), inout<int>("cdate"),
                                    inout<int>("mdate")),

        // Connections and transactions
        classic<qzvopcn>("qzvopcn", inout<int>("connkey"), text("service"), text("hostname"),
                         text("username"), text("password")),
        classic<qzvclcn>("qzvclcn", value<int>("connkey")),
        classic<qzvcmmt>("qzvcmmt", value<int>("connkey")),
        classic<qzvabrt>("qzvabrt", value<int>("connkey")),
        classic<qzvgcid>("qzvgcid", value<int>("dbkey"), inout<int>("connkey")),
        classic<qzvasrt>("qzvasrt", value<int>("connkey"), value<int>("assert_type"),
                         text("assertion"), value<int>("perspective"), value<int>("grouping"),
                         inout<int>("dblist")),

        // Commands and server input
        classic<qzvzavo>("qzvzavo", text("cmd")),
        classic<qzvsinp>("qzvsinp", text("cmd")),
        extended<zavo_remexec>("zavo_remexec", value<int>("dbkey"), text("command"),
                               value<int>("wdbkey"), text("objnam")),
        // buffer_size counts the terminator: the buffer gets at least that many bytes.
        extended<zavo_get_server_input, RoomFor<0, 1, 0>>(
            "zavo_get_server_input", text("buffer"), value<int>("buffer_size"),
            inout<int>("input_size")),
    };
    return table;
}

}  // namespace pyrqx
