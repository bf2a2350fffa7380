// Sessions, databases, connections and commands.
#include "bindings/declare.h"
#include "crqx.h"

namespace pyrqx {

const FunctionTable& session_functions() {
    static const FunctionTable functions = {
        // The session
        single<qzvini>(status),
        single<qzvfin>(status),
        classic<qzvver>(inout<float>),
        classic<qzvferr>(text),
        classic<qzvlerr>(inout<int>),
        classic<qzvsopt>(text, text),
        classic<qzvspos>(value<int>),

        // Databases: the open functions hand out the key through a cell
        classic<qzvopdb>(inout<int>, text, value<int>),
        classic<qzvopdc>(inout<int>, text, value<int>, value<int>),
        classic<qzvopre>(inout<int>, text),
        classic<qzvoprc>(inout<int>, value<int>),
        classic<qzvopwk>(inout<int>),
        classic<qzvcldb>(value<int>),
        classic<qzvpodb>(value<int>),
        classic<qzvrsdb>(value<int>),
        classic<qzvpack>(value<int>),
        classic<qzvgdba>(value<int>, inout<int>, inout<int>, inout<int>, inout<int>, inout<int>,
                         inout<int>, text, text),
        classic<qzvgdbd>(value<int>, value<int>, inout<int>, inout<int>),
        classic<qzvddes>(value<int>, text),
        classic<qzvddoc>(value<int>, text),
        classic<qzvglen>(value<int>, inout<int>, inout<int>),
        classic<qzvset_dimension>(value<int>, value<int>),
        classic<qzvget_dimension>(value<int>, inout<int>),
        classic<qzvset_extradots>(value<int>, value<int>),
        classic<qzvget_extradots>(value<int>, inout<int>),
        extended<zavo_get_dbversion>(value<int>, inout<int>),
        extended<zavo_get_db_dates>(value<int>, inout<int>, inout<int>),

        // Connections and transactions
        classic<qzvopcn>(inout<int>, text, text, text, text),
        classic<qzvclcn>(value<int>),
        classic<qzvcmmt>(value<int>),
        classic<qzvabrt>(value<int>),
        classic<qzvgcid>(value<int>, inout<int>),
        classic<qzvasrt>(value<int>, value<int>, text, value<int>, value<int>, inout<int>),

        // Commands and server input
        classic<qzvzavo>(text),
        classic<qzvsinp>(text),
        extended<zavo_remexec>(value<int>, text, value<int>, text),
        // buffer_size counts the terminator: the buffer gets at least that many bytes.
        extended<zavo_get_server_input,
                 RoomFor<param::buffer, param::buffer_size, Terminator::Included>>(text, value<int>,
                                                                                   inout<int>),
    };
    return functions;
}

}  // namespace pyrqx
