// Dates, frequencies, index and time conversions, literals and pictures.
#include "crqx.h"
#include "module/entry.h"

namespace pyrqx {

const FunctionTable& date_functions() {
    static const FunctionTable table = {};
    return table;
}

}  // namespace pyrqx
