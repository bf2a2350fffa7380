// Attributes by type code and by typed access.
#include "crqx.h"
#include "module/entry.h"

namespace pyrqx {

const FunctionTable& attribute_functions() {
    static const FunctionTable table = {};
    return table;
}

}  // namespace pyrqx
