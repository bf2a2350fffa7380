// Series data: ranges, reads and writes of every value kind, missing values.
#include "crqx.h"
#include "module/entry.h"

namespace pyrqx {

const FunctionTable& series_functions() {
    static const FunctionTable table = {};
    return table;
}

}  // namespace pyrqx
