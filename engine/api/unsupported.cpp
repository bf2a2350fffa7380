// Functions of the C interface that this engine does not provide yet. Each
// reports HNSUPP and says so in the last-error text. A row leaves this list
// when its room implements the function (scripts/prune-unsupported removes
// the rows of functions defined elsewhere in engine/api). With GCC and Clang
// the stubs are weak, so a room's own definition wins even before that.
#include "api/api.h"
#include "crqx.h"

#if defined(__GNUC__)
#define CRQX_STUB __attribute__((weak))
#else
#define CRQX_STUB
#endif

#define UNSUPPORTED_CLASSIC(name, params)                                   \
    extern "C" CRQX_STUB void name params {                                \
        int code = crqx::api::fail(#name, crqx::HNSUPP, "not supported yet"); \
        if (status != nullptr) *status = code;                              \
    }
#define UNSUPPORTED_EXTENDED(name, params) \
    extern "C" CRQX_STUB int name params {  \
        return crqx::api::fail(#name, crqx::HNSUPP, "not supported yet"); \
    }

// Parameters are named for readability; most stubs do not use them.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif

