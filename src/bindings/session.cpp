// Sessions, databases, connections and commands.
#include "crqx.h"
#include "module/entry.h"

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
    };
    return table;
}

}  // namespace pyrqx
