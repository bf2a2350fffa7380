// A stub for every function of the C interface, generated from the listing
// crqx_functions.def: each reports HNSUPP and names itself in the last-error
// text. The stubs are weak symbols, so a room that defines a function (a
// strong symbol) replaces its stub at link time: implementing a function
// anywhere in the engine is all it takes, with no list to edit.
#include "api/api.h"
#include "crqx.h"

#if defined(__GNUC__)
#define CRQX_STUB __attribute__((weak))
// The listing names every parameter; a stub uses only `status`.
#pragma GCC diagnostic ignored "-Wunused-parameter"
#else
#error "the unsupported-function stubs need weak symbols (GCC or Clang)"
#endif

namespace {

int unsupported(const char* function) {
    return crqx::api::fail(function, crqx::HNSUPP, "not supported yet");
}

}  // namespace

#define CRQX_CLASSIC(name, params, args) \
    extern "C" CRQX_STUB void name params { crqx::api::set_status(status, unsupported(#name)); }
#define CRQX_EXTENDED(name, params, args) \
    extern "C" CRQX_STUB int name params { return unsupported(#name); }
#include "crqx_functions.def"
