// Objects: lifecycle, inquiry, wildcards, aliases, namelists, formulas.
#include "crqx.h"
#include "module/entry.h"

namespace pyrqx {

const FunctionTable& object_functions() {
    static const FunctionTable table = {};
    return table;
}

}  // namespace pyrqx
