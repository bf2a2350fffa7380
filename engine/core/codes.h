// The codes of the C interface (statuses, frequencies, months, weekdays, ...)
// as one C++ enum, expanded from the interface's own table so no number is
// ever retyped. Several names share a value (families reuse small numbers).
#ifndef CRQX_ENGINE_CORE_CODES_H
#define CRQX_ENGINE_CORE_CODES_H

namespace crqx {

enum Code : int {
#define CRQX_CONST(name, value) name = (value),
#include "crqx_constants.def"
#undef CRQX_CONST
};

}  // namespace crqx

#endif
